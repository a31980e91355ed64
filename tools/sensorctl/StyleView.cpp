#include "StyleView.h"

#include <tinyxml.h>

namespace {

std::string attribute(const TiXmlElement* element, const char* name) {
    const char* text = element->Attribute(name);
    return text ? text : "";
}

StyleSetting settingOf(const TiXmlElement* element) {
    StyleSetting setting;
    setting.hasId = element->Attribute("id") != nullptr;
    setting.hasValue = element->Attribute("value") != nullptr;
    setting.id = attribute(element, "id");
    setting.value = attribute(element, "value");
    setting.type = attribute(element, "type");
    setting.label = attribute(element, "label");
    setting.min = attribute(element, "min");
    setting.max = attribute(element, "max");
    setting.step = attribute(element, "step");
    for (const TiXmlElement* choice = element->FirstChildElement("Option"); choice;
         choice = choice->NextSiblingElement("Option")) {
        if (choice->Attribute("index")) {
            setting.choices.emplace_back(attribute(choice, "index"), attribute(choice, "label"));
        } else {
            ++setting.choicesWithoutIndex;
        }
    }
    return setting;
}

// Iterative walk: a page of any depth is listed without deep recursion.
void collect(const TiXmlElement* root, std::vector<StyleSetting>& settings) {
    std::vector<const TiXmlElement*> pending(1, root);
    while (!pending.empty()) {
        const TiXmlElement* element = pending.back();
        pending.pop_back();
        bool isItem = element->ValueStr() == "Item";
        if (isItem || element->Attribute("id") || element->Attribute("value")) {
            settings.push_back(settingOf(element));
        }
        std::vector<const TiXmlElement*> children;
        for (const TiXmlElement* child = element->FirstChildElement(); child;
             child = child->NextSiblingElement()) {
            children.push_back(child);
        }
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
}

}  // namespace

bool readStyleSettings(const std::string& xml, std::vector<StyleSetting>& settings,
                       std::string& error) {
    TiXmlDocument document;
    document.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error() || !document.RootElement()) {
        error = document.Error() ? document.ErrorDesc() : "no root element";
        return false;
    }
    collect(document.RootElement(), settings);
    return true;
}

std::string offersOf(const StyleSetting& setting) {
    if (!setting.choices.empty()) {
        std::string text = "choices";
        for (const auto& choice : setting.choices) {
            text += " " + choice.first + "=\"" + choice.second + "\"";
        }
        return text;
    }
    if (!setting.min.empty() || !setting.max.empty()) {
        std::string text = "bounds " + setting.min + ".." + setting.max;
        return setting.step.empty() ? text : text + " step " + setting.step;
    }
    return setting.type.empty() ? "-" : setting.type;
}
