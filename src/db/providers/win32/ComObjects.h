// Owners for COM pointers, BSTRs and VARIANTs, and late-bound calls through IDispatch.
#pragma once
#include <oaidl.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>
#include <utility>
#include <vector>

#include "db/DbError.h"
#include "db/Variant.h"

namespace zmw::com {

template <typename T>
class Ptr {
 public:
  Ptr() = default;
  explicit Ptr(T* p) : p_(p) {}
  ~Ptr() { Reset(); }
  Ptr(const Ptr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
  Ptr& operator=(const Ptr& o) {
    if (this != &o) { Reset(); p_ = o.p_; if (p_) p_->AddRef(); }
    return *this;
  }
  Ptr(Ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ptr& operator=(Ptr&& o) noexcept {
    if (this != &o) { Reset(); p_ = std::exchange(o.p_, nullptr); }
    return *this;
  }
  void Reset() { if (p_) p_->Release(); p_ = nullptr; }
  T* Get() const { return p_; }
  T** Out() { Reset(); return &p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const std::string& cp1252);
  ~Bstr() { if (b_) ::SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return b_; }

 private:
  BSTR b_ = nullptr;
};

// A BSTR that a call handed over to us, freed when it goes.
class ReceivedBstr {
 public:
  ReceivedBstr() = default;
  ~ReceivedBstr() { if (b_) ::SysFreeString(b_); }
  ReceivedBstr(const ReceivedBstr&) = delete;
  ReceivedBstr& operator=(const ReceivedBstr&) = delete;
  BSTR* Out() { return &b_; }
  BSTR Get() const { return b_; }

 private:
  BSTR b_ = nullptr;
};

class Var {
 public:
  Var() { ::VariantInit(&v_); }
  ~Var() { ::VariantClear(&v_); }
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;
  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }
  static Var Text(const std::string& cp1252);
  static Var Long(long value);
  static Var Dispatch(IDispatch* object);
  static Var Missing();
  static Var From(const Variant& value);
  Var(Var&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }

 private:
  VARIANT v_;
};

Variant ToVariant(const VARIANT& v);
std::string Narrow(BSTR text);

// Creates an object by its ProgID; E_POINTER when no object came.
Ptr<IDispatch> Create(const wchar_t* progId);
// Late-bound call: args in the order of the signature. Failures become DbError with the
// object's error information.
Var Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Var*> args = {});
Ptr<IDispatch> GetObject(IDispatch* object, const wchar_t* name, std::vector<Var*> args = {});

}  // namespace zmw::com
