#include "sensor/StyleDocument.h"

bool StyleDocument::LoadMem(const char* text, TiXmlEncoding encoding) {
    Clear();
    ClearError();
    if (!text || !*text) {
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
