// The style merge: the style-diversity rules whose selectors match the
// module's detail text edit the style's tabs.
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "platform/CameraPaths.h"
#include "platform/StringHandler.h"
#include "platform/TXFile.h"
#include "sensor/SensorFilePrivate.h"
#include "sensor/StyleDocument.h"
#include "support/ReplacingFile.h"

namespace {

const int kSelectorCompareLen = 5;

// The first tab of the document, or null (also for a document without root).
TiXmlElement* firstTab(TiXmlDocument* doc) {
    TiXmlElement* root = doc ? doc->RootElement() : nullptr;
    return root ? root->FirstChildElement() : nullptr;
}

bool selectorPieceMatches(const char* piece, const char* nVal) {
    return strncmp(piece, nVal, kSelectorCompareLen) == 0;
}

// One selector: the detail field named by the attribute holds one of the
// attribute's comma-separated values (first five characters compared).
// The merge's helpers report under the merge (op).
bool selectorMatches(const TiXmlAttribute* modi_attr, const ModuleConfig* moduleConfig,
                     const SnsOperation& op) {
    SNS_DBG_FOR(op, 0, "modi_attr->Name()(%s), modi_attr->Value()(%s)\n", modi_attr->Name(),
                modi_attr->Value());
    char nVal[DETAIL_VALUE_LEN] = {0};
    if (getDetailFieldToStr(moduleConfig->szDetail, modi_attr->Name(), nVal) != 0) {
        return false;
    }
    std::vector<std::string> pieces;
    StringHandler::split(modi_attr->Value(), pieces, ",");
    for (const std::string& piece : pieces) {
        if (selectorPieceMatches(piece.c_str(), nVal)) {
            return true;
        }
    }
    if (selectorPieceMatches(modi_attr->Value(), nVal)) {
        return true;
    }
    SNS_DBG_FOR(op, 0, "modi_attr->Name()(%s), modi_attr->Value()(%s) nVal(%s)\n",
                modi_attr->Name(), modi_attr->Value(), nVal);
    return false;
}

bool ruleApplies(const TiXmlElement* rule, const ModuleConfig* moduleConfig,
                 const SnsOperation& op) {
    for (const TiXmlAttribute* modi_attr = rule->FirstAttribute(); modi_attr;
         modi_attr = modi_attr->Next()) {
        if (selectorMatches(modi_attr, moduleConfig, op)) {
            return true;
        }
    }
    return false;
}

void applyRule(StyleDocument& doc_style, TiXmlElement* node_first, const SnsOperation& op) {
    TiXmlElement* node_second = nullptr;
    if (!SNS_ASSERT_FOR(op, NULL != (node_second = node_first->FirstChildElement()))) {
        return;
    }
    for (; node_second; node_second = node_second->NextSiblingElement()) {
        updateStyleTab(&doc_style, node_second->Value(), node_second->Attribute("tab_key"),
                       node_second->FirstChildElement());
    }
}

std::string printed(const StyleDocument& doc) {
    std::string text;
    doc.getXmlString(text);
    return text;
}

// The document as TinyXML saves it to a file.
std::string savedForm(const StyleDocument& doc) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&buffer, &size);
    if (!stream) {
        return printed(doc);
    }
    doc.SaveFile(stream);
    fclose(stream);
    std::string text(buffer ? buffer : "", size);
    free(buffer);
    return text;
}

// Writes the merged text to the scratch file's replacement and reads it back
// into *ui_style before publishing it (so controllers merging at once never
// read each other's document); false when it could not be written or read
// back whole.
bool readBackThroughFile(const std::string& text, char** ui_style) {
    INT64 size = static_cast<INT64>(text.size());
    ReplacingFile file;
    if (size > INT_MAX ||
        !file.open(platform::kMergedStyleFile, TXFile::modeWrite | TXFile::modeTruncate) ||
        file.write(text.data(), static_cast<int>(size)) != size) {
        return false;
    }
    INT64 file_len = getFileLen(file.temporaryPath().c_str());
    if (file_len != size) {
        return false;
    }
    char* resized = static_cast<char*>(realloc(*ui_style, static_cast<size_t>(file_len) + 1));
    if (!resized) {
        return false;
    }
    *ui_style = resized;
    memset(*ui_style, 0, static_cast<size_t>(file_len) + 1);
    if (!(loadFromFile(file.temporaryPath().c_str(), *ui_style, file_len) > 0)) {
        return false;
    }
    file.commit();  // the text is in hand: a scratch file left unpublished costs nothing
    return true;
}

// Without a writable scratch file the camera still gets its style.
void keepInMemory(const std::string& text, char** ui_style) {
    char* resized = static_cast<char*>(realloc(*ui_style, text.size() + 1));
    if (resized) {
        *ui_style = resized;
        memcpy(*ui_style, text.c_str(), text.size() + 1);
    } else if (*ui_style) {
        (*ui_style)[0] = '\0';
    }
}

void replaceWithPrinted(StyleDocument& doc_style, char** ui_style, const SnsOperation& op) {
    std::string text = savedForm(doc_style);
    SNS_INFO_FOR(op, 35, "%s\n", printed(doc_style).c_str());
    if (!readBackThroughFile(text, ui_style)) {
        SNS_ASSERT_AS_FOR(op, false,
                          "loadFromFile(\"/tmp/merge_style.xml\", *ui_style, file_len) > 0");
        keepInMemory(text, ui_style);
    }
}

}  // namespace

int updateStyleTab(TiXmlDocument* doc_style, const char* operation, const char* tab_key,
                   const TiXmlElement* new_tab) {
    TiXmlElement* tab_node = nullptr;
    if (!SNS_ASSERT_AS(NULL != (tab_node = firstTab(doc_style)),
                       "NULL != (tab_node = doc_style->RootElement()->FirstChildElement())")) {
        return 0;
    }
    if (!operation || !tab_key) {
        return 0;
    }
    for (; tab_node; tab_node = tab_node->NextSiblingElement()) {
        const char* key = tab_node->Attribute("key");
        if (key && strcmp(key, tab_key) == 0) {
            break;
        }
    }
    if (!tab_node) {
        return 0;
    }
    TiXmlNode* tabs = tab_node->Parent();
    if (strcmp(operation, "Modify") == 0 && new_tab) {
        tabs->InsertAfterChild(tab_node, *new_tab);
        tabs->RemoveChild(tab_node);
    } else if (strcmp(operation, "AddAfter") == 0 && new_tab) {
        tabs->InsertAfterChild(tab_node, *new_tab);
    } else if (strcmp(operation, "Delete") == 0) {
        tabs->RemoveChild(tab_node);
    }
    return 0;
}

int mergeStyle(ModuleConfig* moduleConfig, char** ui_style, char* ui_styleDiversity) {
    if (!SNS_ASSERT(NULL != moduleConfig && NULL != ui_style)) {
        return SNS_SUCCESS;
    }
    StyleDocument doc_style;
    StyleDocument doc_style_div;
    SNS_ASSERT(doc_style.LoadMem(*ui_style, TIXML_ENCODING_UTF8));
    SNS_ASSERT(doc_style_div.LoadMem(ui_styleDiversity, TIXML_ENCODING_UTF8));

    TiXmlElement* node_first = nullptr;
    if (SNS_ASSERT(NULL != (node_first = doc_style_div.RootElement()))) {
        for (node_first = node_first->FirstChildElement(); node_first;
             node_first = node_first->NextSiblingElement()) {
            if (ruleApplies(node_first, moduleConfig, SNS_OPERATION)) {
                applyRule(doc_style, node_first, SNS_OPERATION);
            }
        }
    }
    replaceWithPrinted(doc_style, ui_style, SNS_OPERATION);
    return SNS_SUCCESS;
}
