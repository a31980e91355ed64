#include "ConsoleServer.h"

#include <httplib.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "CommandLine.h"
#include "ConsoleApi.h"
#include "ConsolePage.h"
#include "ListenAddress.h"
#include "Session.h"

using nlohmann::json;

namespace {

// Deeper JSON than any request of the API needs is refused before it is parsed.
const int kJsonDepthMax = 16;

typedef std::function<Reply(const httplib::Request&, const json&)> Route;

bool isWildcard(const std::string& host) {
    return host == "0.0.0.0" || host == "::";
}

// The deepest nesting of arrays and objects in a JSON text.
int jsonDepth(const std::string& text) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (char c : text) {
        if (inString) {
            escaped = !escaped && c == '\\';
            inString = escaped || c != '"';
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return deepest;
}

std::string oneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return text;
}

bool parseBody(const std::string& body, json& value, std::string& error) {
    if (jsonDepth(body) > kJsonDepthMax) {
        error = "the JSON nests deeper than " + std::to_string(kJsonDepthMax) + " levels";
        return false;
    }
    try {
        value = json::parse(body);
    } catch (const json::exception& e) {
        error = "malformed JSON: " + oneLine(e.what());
        return false;
    }
    return true;
}

void send(httplib::Response& res, const Reply& reply) {
    res.status = reply.status;
    res.set_content(jsonText(reply.body), "application/json");
}

void sendError(httplib::Response& res, int status, const std::string& reason) {
    send(res, badRequest(status, reason));
}

const char* reasonOf(int status) {
    switch (status) {
        case 404:
            return "no such route";
        case 413:
            return "the request body is larger than 65536 bytes";
        case 414:
            return "the request target is too long";
        default:
            return "bad request";
    }
}

}  // namespace

struct ConsoleServer::Impl {
    Impl(Session& session, const ConsoleConfig& config)
        : m_objConfig(config), m_objApi(session, config.program) {}

    void addRoutes();
    void addRoute(const std::string& path, Route get, Route post);
    bool hostAllowed(const httplib::Request& req) const;
    httplib::Server::HandlerResponse guard(const httplib::Request& req, httplib::Response& res);
    void collectEverySecond();

    ConsoleConfig m_objConfig;
    ConsoleApi m_objApi;
    httplib::Server m_objServer;
    int m_nPort = -1;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bRunEnded{false};
    std::mutex m_objMutex;
    std::condition_variable m_objWake;
};

// The Host a request names must be the address served: an IP literal (or
// localhost on the loopback) with the port. A name that resolves here by
// DNS rebinding is refused. A browser's Origin must be that same host.
bool ConsoleServer::Impl::hostAllowed(const httplib::Request& req) const {
    std::string host = req.get_header_value("Host");
    std::string suffix = ":" + std::to_string(m_nPort);
    if (host.size() <= suffix.size() ||
        host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    std::string name = host.substr(0, host.size() - suffix.size());
    std::string bare = unbracketed(name);
    bool loopback = isLoopbackHost(m_objConfig.host);
    bool named =
        loopback ? (isLoopbackHost(bare) && (bare == "localhost" || isIpLiteral(bare)))
                 : (isWildcard(m_objConfig.host) ? isIpLiteral(bare) : bare == m_objConfig.host);
    if (!named) {
        return false;
    }
    if (req.has_header("Origin") && req.get_header_value("Origin") != "http://" + host) {
        return false;
    }
    return true;
}

httplib::Server::HandlerResponse ConsoleServer::Impl::guard(const httplib::Request& req,
                                                            httplib::Response& res) {
    if (!hostAllowed(req)) {
        sendError(res, 403, "the request's Host or Origin is not this console's address");
        return httplib::Server::HandlerResponse::Handled;
    }
    if (req.method == "POST") {
        std::string type = req.get_header_value("Content-Type");
        if (type.compare(0, 16, "application/json") != 0 ||
            (type.size() > 16 && type[16] != ';' && type[16] != ' ')) {
            sendError(res, 415, "a request that changes state must be application/json");
            return httplib::Server::HandlerResponse::Handled;
        }
    }
    return httplib::Server::HandlerResponse::Unhandled;
}

void ConsoleServer::Impl::addRoute(const std::string& path, Route get, Route post) {
    std::string allow =
        std::string(get ? "GET" : "") + (get && post ? ", " : "") + (post ? "POST" : "");
    auto wrong = [allow](const httplib::Request&, httplib::Response& res) {
        res.set_header("Allow", allow);
        sendError(res, 405, "this route takes " + allow);
    };
    if (get) {
        m_objServer.Get(path, [get](const httplib::Request& req, httplib::Response& res) {
            send(res, get(req, json()));
        });
    } else {
        m_objServer.Get(path, wrong);
    }
    if (post) {
        m_objServer.Post(path, [post](const httplib::Request& req, httplib::Response& res) {
            json body;
            std::string error;
            if (!parseBody(req.body, body, error)) {
                sendError(res, 400, error);
                return;
            }
            send(res, post(req, body));
        });
    } else {
        m_objServer.Post(path, wrong);
    }
    m_objServer.Put(path, wrong);
    m_objServer.Delete(path, wrong);
}

void ConsoleServer::Impl::addRoutes() {
    ConsoleApi& api = m_objApi;
    m_objServer.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Content-Security-Policy",
                       "default-src 'none'; script-src 'unsafe-inline'; style-src "
                       "'unsafe-inline'; connect-src 'self'; img-src data:; frame-ancestors "
                       "'none'");
        res.set_content(kConsolePage, "text/html; charset=utf-8");
    });
    auto none = Route();
    addRoute(
        "/api/style", [&api](const httplib::Request&, const json&) { return api.style(); }, none);
    addRoute(
        "/api/values", [&api](const httplib::Request&, const json&) { return api.values(); },
        [&api](const httplib::Request&, const json& b) { return api.set(b); });
    addRoute("/api/flush", none,
             [&api](const httplib::Request&, const json&) { return api.flush(); });
    addRoute(
        "/api/scheme", [&api](const httplib::Request&, const json&) { return api.schemes(); },
        [&api](const httplib::Request&, const json& b) { return api.pickScheme(b); });
    addRoute(
        "/api/sim", [&api](const httplib::Request&, const json&) { return api.sim(); },
        [&api](const httplib::Request&, const json& b) { return api.setSim(b); });
    addRoute("/api/tick", none,
             [&api](const httplib::Request&, const json&) { return api.tick(); });
    addRoute(
        "/api/logs",
        [&api](const httplib::Request& req, const json&) {
            return api.logs(req.get_param_value("limit"));
        },
        none);
    addRoute(
        "/api/day",
        [&api](const httplib::Request& req, const json&) {
            return api.day(req.get_param_value("mode"), req.get_param_value("night"));
        },
        none);
}

void ConsoleServer::Impl::collectEverySecond() {
    std::unique_lock<std::mutex> lock(m_objMutex);
    while (!m_bStop) {
        m_objWake.wait_for(lock, std::chrono::seconds(1));
        m_objApi.collectLogs();
    }
}

ConsoleServer::ConsoleServer(Session& session, const ConsoleConfig& config)
    : m_pImpl(new Impl(session, config)) {
    Impl& impl = *m_pImpl;
    impl.m_objServer.set_payload_max_length(BODY_MAX);
    impl.m_objServer.set_pre_routing_handler(
        [&impl](const httplib::Request& req, httplib::Response& res) {
            return impl.guard(req, res);
        });
    impl.m_objServer.set_error_handler(httplib::Server::HandlerWithResponse(
        [](const httplib::Request& req, httplib::Response& res) {
            if (!res.body.empty()) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            std::string reason = reasonOf(res.status);
            if (res.status == 404) {
                reason += ": " + oneLine(req.path);
            }
            sendError(res, res.status, reason);
            return httplib::Server::HandlerResponse::Handled;
        }));
    impl.m_objServer.set_exception_handler(
        [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
            sendError(res, 500, "the console failed on this request");
        });
    impl.addRoutes();
}

ConsoleServer::~ConsoleServer() {
    stop();
}

bool ConsoleServer::bind(std::string& error) {
    Impl& impl = *m_pImpl;
    const ConsoleConfig& config = impl.m_objConfig;
    bool ok = config.port == 0 ? (impl.m_nPort = impl.m_objServer.bind_to_any_port(config.host)) > 0
                               : impl.m_objServer.bind_to_port(config.host, config.port);
    if (!ok) {
        error = "cannot listen on " + config.host + ":" + std::to_string(config.port);
        return false;
    }
    if (config.port != 0) {
        impl.m_nPort = config.port;
    }
    return true;
}

int ConsoleServer::port() const {
    return m_pImpl->m_nPort;
}

std::string ConsoleServer::address() const {
    const std::string& host = m_pImpl->m_objConfig.host;
    std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return "http://" + shown + ":" + std::to_string(port()) + "/";
}

void ConsoleServer::run() {
    Impl& impl = *m_pImpl;
    impl.m_bRunning = true;
    std::thread collector([&impl] { impl.collectEverySecond(); });
    if (!impl.m_bStop) {
        impl.m_objServer.listen_after_bind();
    }
    {
        std::lock_guard<std::mutex> lock(impl.m_objMutex);
        impl.m_bStop = true;
    }
    impl.m_objWake.notify_all();
    collector.join();
    impl.m_bRunEnded = true;
}

// The server may be between run's start and its listening: stop is asked
// again until run has ended.
void ConsoleServer::stop() {
    Impl& impl = *m_pImpl;
    {
        std::lock_guard<std::mutex> lock(impl.m_objMutex);
        impl.m_bStop = true;
    }
    impl.m_objWake.notify_all();
    while (impl.m_bRunning && !impl.m_bRunEnded) {
        impl.m_objServer.stop();
        usleep(1000);
    }
}
