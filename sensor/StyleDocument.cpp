#include "sensor/StyleDocument.h"

#include "platform/XmlNesting.h"

// The style documents are refused at the nesting of the firmware's other
// documents.
static_assert(static_cast<int>(STYLE_NESTING_MAX) == static_cast<int>(XML_NESTING_MAX),
              "one nesting limit for every document");

bool StyleDocument::LoadMem(const char* text, TiXmlEncoding encoding) {
    Clear();
    ClearError();
    if (!text || !*text) {
        return false;
    }
    // Refused before parsing: the parser recurses once per level of nesting
    // and would run past the end of a text whose last character is cut.
    if (!platform::xmlMultiByteCharactersComplete(text) ||
        platform::xmlElementNesting(text) > STYLE_NESTING_MAX) {
        return false;
    }
    Parse(text, nullptr, encoding);
    return !Error();
}

void StyleDocument::getXmlString(std::string& text) const {
    TiXmlPrinter printer;
    Accept(&printer);
    text = printer.CStr();
}
