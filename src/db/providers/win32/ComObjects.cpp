#include "db/providers/win32/ComObjects.h"

#include "platform/Text.h"

namespace zmw::com {

Bstr::Bstr(const std::string& cp1252) {
  std::u16string wide = platform::Cp1252ToUtf16(cp1252);
  b_ = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), UINT(wide.size()));
}

std::string Narrow(BSTR text) {
  if (!text) return "";
  return platform::Utf16ToCp1252(std::u16string(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text)));
}

Var Var::Text(const std::string& cp1252) {
  Var v;
  std::u16string wide = platform::Cp1252ToUtf16(cp1252);
  v.v_.vt = VT_BSTR;
  v.v_.bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()), UINT(wide.size()));
  return v;
}

Var Var::Long(long value) {
  Var v;
  v.v_.vt = VT_I4;
  v.v_.lVal = value;
  return v;
}

Var Var::Dispatch(IDispatch* object) {
  Var v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = object;
  if (object) object->AddRef();
  return v;
}

Var Var::Missing() {
  Var v;
  v.v_.vt = VT_ERROR;
  v.v_.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

Var Var::From(const Variant& value) {
  Var v;
  switch (value.Type()) {
    case VarType::Empty: break;
    case VarType::Null: v.v_.vt = VT_NULL; break;
    case VarType::I2: v.v_.vt = VT_I2; v.v_.iVal = SHORT(value.IntegerValue()); break;
    case VarType::I4: v.v_.vt = VT_I4; v.v_.lVal = LONG(value.IntegerValue()); break;
    case VarType::R8: v.v_.vt = VT_R8; v.v_.dblVal = value.RealValue(); break;
    case VarType::Cy: v.v_.vt = VT_CY; v.v_.cyVal.int64 = value.IntegerValue(); break;
    case VarType::Date: v.v_.vt = VT_DATE; v.v_.date = value.RealValue(); break;
    case VarType::Bool: v.v_.vt = VT_BOOL; v.v_.boolVal = value.IntegerValue() ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VarType::Bstr:
    case VarType::Decimal: return Text(VariantToText(value));
  }
  return v;
}

Variant ToVariant(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Variant::Null();
    case VT_I2: return Variant::I2(v.iVal);
    case VT_I4: return Variant::I4(v.lVal);
    case VT_R8: return Variant::R8(v.dblVal);
    case VT_R4: return Variant::R8(v.fltVal);
    case VT_CY: return Variant::Cy(v.cyVal.int64);
    case VT_DATE: return Variant::Date(v.date);
    case VT_BSTR: return Variant::Bstr(Narrow(v.bstrVal));
    case VT_BOOL: return Variant::Bool(v.boolVal != VARIANT_FALSE);
    default: {
      // DECIMAL and the rest: through their text in the invariant locale.
      VARIANT text;
      ::VariantInit(&text);
      HRESULT hr = ::VariantChangeTypeEx(&text, const_cast<VARIANT*>(&v), LOCALE_INVARIANT, 0, VT_BSTR);
      if (FAILED(hr)) throw DbError(std::int32_t(hr));
      std::string s = Narrow(text.bstrVal);
      ::VariantClear(&text);
      if (v.vt == VT_DECIMAL) return Variant::DecimalFromText(s);
      return Variant::Bstr(s);
    }
  }
}

Ptr<IDispatch> Create(const wchar_t* progId) {
  CLSID clsid;
  Ptr<IDispatch> object;
  if (SUCCEEDED(::CLSIDFromProgID(progId, &clsid)))
    ::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(object.Out()));
  if (!object) throw DbError(kEPointer);
  return object;
}

Var Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Var*> args) {
  if (!object) throw DbError(kEPointer);
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) throw DbError(std::int32_t(hr));
  std::vector<VARIANT> reversed;  // IDispatch takes its arguments last first
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*(*it)->Get());
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params = {reversed.data(), nullptr, UINT(reversed.size()), 0};
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  Var result;
  EXCEPINFO info = {};
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.Get(), &info, nullptr);
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ReceivedBstr source, description, helpFile;
    *source.Out() = info.bstrSource;
    *description.Out() = info.bstrDescription;
    *helpFile.Out() = info.bstrHelpFile;
    HRESULT code = info.scode ? info.scode : HRESULT(info.wCode);
    throw DbError(std::int32_t(code), Narrow(description.Get()));
  }
  if (FAILED(hr)) throw DbError(std::int32_t(hr));
  return result;
}

Ptr<IDispatch> GetObject(IDispatch* object, const wchar_t* name, std::vector<Var*> args) {
  Var v = Call(object, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
  if (v.Get()->vt != VT_DISPATCH || !v.Get()->pdispVal) throw DbError(kEPointer);
  v.Get()->pdispVal->AddRef();
  return Ptr<IDispatch>(v.Get()->pdispVal);
}

}  // namespace zmw::com
