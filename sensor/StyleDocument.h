// TinyXML's document with the two operations the style code uses beyond the
// library's interface: parsing a text held in memory and printing into a string.
#ifndef SENSOR_STYLEDOCUMENT_H
#define SENSOR_STYLEDOCUMENT_H

#include <tinyxml.h>

#include <string>

enum {
    STYLE_NESTING_MAX = 64,  // elements open at once; the documents nest six deep
};

class StyleDocument : public TiXmlDocument {
  public:
    // Parses a NUL-terminated text like Parse(); true when it parsed without
    // error. A null or empty text fails and leaves an empty document, and so
    // does, before the parser sees it, a text nesting elements deeper than
    // STYLE_NESTING_MAX or holding a multi-byte character cut short.
    bool LoadMem(const char* text, TiXmlEncoding encoding);
    // The whole document as the library's printer writes it.
    void getXmlString(std::string& text) const;
};

#endif
