// Callable glue: small copyable callables that share one heap-held callable
// object through a reference-counted safe pointer. The platform's thread class
// takes its body and hooks as function<int> values, so the glue sits with it;
// the module binds its own operations into it (bind_funcobj).
#ifndef PLATFORM_FUNCTION_H
#define PLATFORM_FUNCTION_H

#include <stdio.h>

#include <string>
#include <typeinfo>
#include <utility>

#include "platform/RefCountManager.h"
#include "platform/TXRuntimeError.h"

template <class R>
class function_obj_base {
  public:
    virtual ~function_obj_base() {}
    virtual R operator()() = 0;
};

// A free function, or a bound member (F is then a bind_funcobj0).
template <class R, class F>
class function_obj : public function_obj_base<R> {
  public:
    explicit function_obj(const F& f) : m_f(f) {}
    virtual ~function_obj() {}
    virtual R operator()() { return m_f(); }

  private:
    F m_f;
};

// A member operation without arguments, bound to its object.
template <class R, class T>
class bind_funcobj0 {
  public:
    typedef R (T::*MemberFn)();
    bind_funcobj0(MemberFn fn, T* obj) : m_pFn(fn), m_pObj(obj) {}
    R operator()() const { return (m_pObj->*m_pFn)(); }

  private:
    MemberFn m_pFn;
    T* m_pObj;
};

class BaseSafePointer {
  public:
    virtual ~BaseSafePointer() {}
};

// Shares one object among its copies; the last copy to go deletes it. The
// count lives in a counter of the platform, changed only under its lock.
template <class T>
class SafePointer : public BaseSafePointer {
  public:
    explicit SafePointer(T* pointer) : m_pPointer(pointer), m_pRefCount(nullptr) {
        if (!m_pPointer) {
            report("Construct from NULL original pointer");
        }
        m_pRefCount = RefCountManager::getInstance()->retrieveRefCount(m_pPointer, typeName());
    }

    SafePointer(const SafePointer& other)
        : BaseSafePointer(), m_pPointer(other.m_pPointer), m_pRefCount(other.m_pRefCount) {
        if (!m_pPointer) {
            report("Construct from NULL <T>pointer");
        }
        inc_reference();
    }

    SafePointer& operator=(const SafePointer& other) {
        SafePointer copy(other);
        std::swap(m_pPointer, copy.m_pPointer);
        std::swap(m_pRefCount, copy.m_pRefCount);
        return *this;
    }

    virtual ~SafePointer() {
        try {
            dec_reference();
        } catch (...) {
        }
    }

    T* get() const { return m_pPointer; }
    T* operator->() const { return m_pPointer; }

    void inc_reference() const {
        if (!m_pRefCount) {
            report("Already destructed 1");
        }
        if (m_pRefCount->lock() != 0) {
            report("Already destructed 2");
        }
        if (m_pRefCount->getPointer() != m_pPointer) {
            m_pRefCount->unLock();
            throw TXRuntimeError("not valid pointer in inc_reference ");
        }
        int count = m_pRefCount->inc_reference();
        m_pRefCount->unLock();
        if (count == 0) {
            report("Already destructed 3");
        }
    }

    // The last reference hands the counter back before the object goes, so a
    // new object born at the same address can never meet the dying counter;
    // the counter is released before it is handed back.
    void dec_reference() {
        if (!m_pPointer) {
            return;
        }
        ref_count* counter = m_pRefCount;
        counter->lock();
        if (counter->getPointer() != m_pPointer) {
            counter->unLock();
            throw TXRuntimeError("not valid pointer in dec_reference");
        }
        if (counter->dec_reference() != 0) {
            counter->unLock();
            return;
        }
        T* pointee = m_pPointer;
        m_pPointer = nullptr;
        counter->unLock();
        RefCountManager::getInstance()->returnbackRefCount(counter, typeName());
        delete pointee;
    }

    static const char* typeName() { return typeid(T).name(); }

  private:
    static void report(const char* text) {
        std::string message = std::string("SafePointer Report:") + typeName() + " " + text;
        puts(message.c_str());
        throw TXRuntimeError(message.c_str());
    }

    T* m_pPointer;
    ref_count* m_pRefCount;
};

template <class R>
class function {
  public:
    function(R (*fn)()) : m_spCallable(new function_obj<R, R (*)()>(fn)) {}
    template <class T>
    function(const bind_funcobj0<R, T>& bound)
        : m_spCallable(new function_obj<R, bind_funcobj0<R, T> >(bound)) {}
    function(const function& other) : m_spCallable(other.m_spCallable) {}
    function& operator=(const function& other) {
        m_spCallable = other.m_spCallable;
        return *this;
    }
    virtual ~function() {}

    R operator()() const { return (*m_spCallable.get())(); }

  private:
    SafePointer<function_obj_base<R> > m_spCallable;
};

template <class R, class T>
bind_funcobj0<R, T> bind_funcobj(R (T::*fn)(), T* obj) {
    return bind_funcobj0<R, T>(fn, obj);
}

#endif
