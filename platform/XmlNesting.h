// Checks on an XML text made before TinyXML parses it. The parser recurses
// once per element open at once, so a text nesting thousands of elements runs
// it out of stack; and it steps over a character of several bytes by its lead
// byte alone, so a character cut short at the end of the text lets it read
// past the text's end. A reader refuses a text that fails either check:
//
//   if (!xmlMultiByteCharactersComplete(text) || xmlElementNesting(text) > XML_NESTING_MAX)
//       -> refused, the parser never sees it
//
// Header-only, needing the C library alone, so that the module and the
// stand-ins of its platform count nesting the same way.
#ifndef PLATFORM_XMLNESTING_H
#define PLATFORM_XMLNESTING_H

#include <ctype.h>
#include <string.h>

enum {
    // Elements open at once that the readers of the firmware's documents
    // accept; none of the documents nests deeper than six.
    XML_NESTING_MAX = 64,
};

namespace platform {
namespace xmlnesting {

// The continuation bytes a lead byte announces.
inline int continuationBytes(unsigned char lead) {
    if (lead < 0xC0) {
        return 0;
    }
    return lead < 0xE0 ? 1 : (lead < 0xF0 ? 2 : 3);
}

// The parser's white space, with the byte-order marks it skips as well.
inline bool isParserSpace(char c) {
    return isspace(static_cast<unsigned char>(c)) != 0;
}

inline const char* skipParserSpace(const char* p) {
    for (;;) {
        const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
        bool mark = u[0] == 0xEF && ((u[1] == 0xBB && u[2] == 0xBF) ||
                                     (u[1] == 0xBF && (u[2] == 0xBE || u[2] == 0xBF)));
        if (mark) {
            p += 3;
        } else if (isParserSpace(*p)) {
            ++p;
        } else {
            return p;
        }
    }
}

// Letters as the parser takes them: every byte from 127 up counts as one.
inline bool isNameStart(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || isalpha(u) || c == '_';
}

inline bool isNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 127 || isalnum(u) || c == '_' || c == '-' || c == '.' || c == ':';
}

inline bool startsWithNoCase(const char* p, const char* prefix) {
    for (; *prefix; ++p, ++prefix) {
        if (tolower(static_cast<unsigned char>(*p)) != *prefix) {
            return false;
        }
    }
    return true;
}

// Past the next occurrence of end, or at the text's end.
inline const char* pastText(const char* p, const char* end) {
    size_t length = strlen(end);
    for (; *p; ++p) {
        if (*p == *end && strncmp(p, end, length) == 0) {
            return p + length;
        }
    }
    return p;
}

// name = 'value', name = "value" or name = value, as the parser reads an
// attribute of the xml declaration; null where it gives up.
inline const char* pastDeclarationAttribute(const char* p) {
    p = skipParserSpace(p);
    if (!isNameStart(*p)) {
        return nullptr;
    }
    while (isNameChar(*p)) {
        ++p;
    }
    p = skipParserSpace(p);
    if (*p != '=') {
        return nullptr;
    }
    p = skipParserSpace(p + 1);
    if (*p == '\'' || *p == '"') {
        const char* close = strchr(p + 1, *p);
        return close && close[1] ? close + 1 : nullptr;
    }
    for (; *p && !isParserSpace(*p) && *p != '/' && *p != '>'; ++p) {
        if (*p == '\'' || *p == '"') {
            return nullptr;
        }
    }
    return *p ? p : nullptr;
}

// Past the '>' of an xml declaration: only its version, encoding and
// standalone values are read as quoted; null where the parser stops.
inline const char* pastDeclaration(const char* p) {
    while (*p) {
        if (*p == '>') {
            return p + 1;
        }
        p = skipParserSpace(p);
        if (startsWithNoCase(p, "version") || startsWithNoCase(p, "encoding") ||
            startsWithNoCase(p, "standalone")) {
            p = pastDeclarationAttribute(p);
            if (!p) {
                return nullptr;
            }
        } else {
            while (*p && *p != '>' && !isParserSpace(*p)) {
                ++p;
            }
        }
    }
    return nullptr;
}

// Past the '>' of a start tag; quoted values hide their brackets.
inline const char* pastStartTag(const char* p, bool& selfClosing) {
    selfClosing = false;
    for (; *p; ++p) {
        if (*p == '\'' || *p == '"') {
            const char* close = strchr(p + 1, *p);
            if (!close) {
                return p + strlen(p);
            }
            p = close;
        } else if (*p == '>') {
            selfClosing = p[-1] == '/';
            return p + 1;
        }
    }
    return p;
}

}  // namespace xmlnesting

// Whether every lead byte of the NUL-terminated text is followed by the
// continuation bytes it announces.
inline bool xmlMultiByteCharactersComplete(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        int follow = xmlnesting::continuationBytes(*p++);
        for (; follow > 0; --follow, ++p) {
            if (*p < 0x80 || *p > 0xBF) {
                return false;
            }
        }
    }
    return true;
}

// How deep the parser's recursion goes on the NUL-terminated text: the most
// elements open at once, read the way the parser reads markup. Where the two
// readings part, the parser has met an error and stopped, so the count is
// never below the parser's.
inline int xmlElementNesting(const char* text) {
    using namespace xmlnesting;
    int depth = 0;
    int deepest = 0;
    for (const char* p = strchr(text, '<'); p; p = strchr(p, '<')) {
        if (startsWithNoCase(p, "<?xml")) {
            p = pastDeclaration(p + 5);
            if (!p) {
                break;  // the parser stops here
            }
        } else if (strncmp(p, "<!--", 4) == 0) {
            p = pastText(p + 4, "-->");
        } else if (strncmp(p, "<![CDATA[", 9) == 0) {
            p = pastText(p + 9, "]]>");
        } else if (p[1] == '/') {
            depth = depth > 0 ? depth - 1 : 0;
            p = pastText(p + 2, ">");
        } else if (isNameStart(p[1])) {
            bool selfClosing = false;
            p = pastStartTag(p + 2, selfClosing);
            deepest = depth + 1 > deepest ? depth + 1 : deepest;
            depth += selfClosing ? 0 : 1;
        } else {
            p = pastText(p + 1, ">");  // other markup runs to its '>'
        }
    }
    return deepest;
}

}  // namespace platform

#endif
