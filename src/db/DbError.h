// The one exception type of the library: a COM-style error with its 32-bit code (an HRESULT)
// and the description the failing component gave, empty when it gave none.
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zmw {

inline constexpr std::int32_t kENotImpl = std::int32_t(0x80004001);
inline constexpr std::int32_t kEPointer = std::int32_t(0x80004003);
inline constexpr std::int32_t kEFail = std::int32_t(0x80004005);
inline constexpr std::int32_t kEInvalidArg = std::int32_t(0x80070057);
inline constexpr std::int32_t kDispTypeMismatch = std::int32_t(0x80020005);
inline constexpr std::int32_t kDispOverflow = std::int32_t(0x8002000A);
inline constexpr std::int32_t kAdoProviderNotFound = std::int32_t(0x800A0E7A);
inline constexpr std::int32_t kAdoItemNotFound = std::int32_t(0x800A0CC1);
// OLE DB's own: a statement the provider cannot take, a table (a sheet) it does not have.
inline constexpr std::int32_t kDbErrorsInCommand = std::int32_t(0x80040E14);
inline constexpr std::int32_t kDbNoTable = std::int32_t(0x80040E37);

class DbError : public std::runtime_error {
 public:
  DbError(std::int32_t code, std::string description = "")
      : std::runtime_error(description.empty() ? "COM error" : description),
        code_(code), description_(std::move(description)) {}
  std::int32_t Code() const { return code_; }
  const std::string& Description() const { return description_; }

 private:
  std::int32_t code_;
  std::string description_;
};

}  // namespace zmw
