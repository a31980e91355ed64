// The exception of the callable glue's safe pointer (misuse of a pointer).
#ifndef PLATFORM_TXRUNTIMEERROR_H
#define PLATFORM_TXRUNTIMEERROR_H

#include <exception>
#include <string>

class TXRuntimeError : public std::exception {
  public:
    // A null text gives the empty text.
    explicit TXRuntimeError(const char* text) : m_strText(text ? text : "") {}
    virtual ~TXRuntimeError() throw() {}
    virtual const char* what() const throw() { return m_strText.c_str(); }

  private:
    std::string m_strText;
};

#endif
