#include "StyleJson.h"

#include <tinyxml.h>

#include <vector>

#include "CommandLine.h"

using nlohmann::json;

namespace {

// A number when the attribute reads as one, else its text.
void putAttribute(json& item, const TiXmlElement* element, const char* name) {
    const char* text = element->Attribute(name);
    if (!text) {
        return;
    }
    int number = 0;
    if (parseInt(text, number)) {
        item[name] = number;
    } else {
        item[name] = text;
    }
}

json itemOf(const TiXmlElement* element) {
    json item = json::object();
    for (const char* name : {"id", "type", "label", "value", "min", "max", "step"}) {
        putAttribute(item, element, name);
    }
    json choices = json::array();
    for (const TiXmlElement* option = element->FirstChildElement("Option"); option;
         option = option->NextSiblingElement("Option")) {
        json choice = json::object();
        putAttribute(choice, option, "label");
        int index = 0;
        if (option->Attribute("index") && parseInt(option->Attribute("index"), index)) {
            choice["value"] = index;
            choices.push_back(choice);
        }
    }
    if (!choices.empty()) {
        item["choices"] = choices;
    }
    return item;
}

// Every Item under a tab, at any depth, in document order.
json itemsUnder(const TiXmlElement* tab) {
    json items = json::array();
    std::vector<const TiXmlElement*> pending(1, tab);
    while (!pending.empty()) {
        const TiXmlElement* element = pending.back();
        pending.pop_back();
        if (element != tab && element->ValueStr() == "Item") {
            items.push_back(itemOf(element));
            continue;
        }
        std::vector<const TiXmlElement*> children;
        for (const TiXmlElement* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            children.push_back(child);
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return items;
}

}  // namespace

bool styleToJson(const std::string& xml, json& page, std::string& error) {
    TiXmlDocument document;
    document.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error() || !document.RootElement()) {
        error = document.Error() ? document.ErrorDesc() : "no root element";
        return false;
    }
    json tabs = json::array();
    for (const TiXmlElement* tab = document.RootElement()->FirstChildElement("Tab"); tab;
         tab = tab->NextSiblingElement("Tab")) {
        json entry = json::object();
        entry["key"] = tab->Attribute("key") ? tab->Attribute("key") : "";
        entry["label"] = tab->Attribute("label") ? tab->Attribute("label") : entry["key"];
        entry["items"] = itemsUnder(tab);
        tabs.push_back(entry);
    }
    page = json::object();
    page["tabs"] = tabs;
    return true;
}
