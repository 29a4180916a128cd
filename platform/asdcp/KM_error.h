// Result codes of the track-file library: a value of 0 or more is success,
// a negative value a failure; end of file has a value of its own.
#pragma once

namespace Kumu {

class Result_t {
 public:
  constexpr Result_t(int value, const char* label) : value_(value), label_(label) {}
  constexpr int Value() const { return value_; }
  constexpr const char* Label() const { return label_; }
  constexpr bool Success() const { return value_ >= 0; }
  constexpr bool Failure() const { return value_ < 0; }
  constexpr bool operator==(const Result_t& other) const { return value_ == other.value_; }
  constexpr bool operator!=(const Result_t& other) const { return value_ != other.value_; }
  constexpr operator int() const { return value_; }

 private:
  int value_;
  const char* label_;
};

inline constexpr Result_t RESULT_FALSE(1, "Successful but not true.");
inline constexpr Result_t RESULT_OK(0, "Success.");
inline constexpr Result_t RESULT_FAIL(-1, "An undefined error was detected.");
inline constexpr Result_t RESULT_PTR(-2, "An unexpected NULL pointer was given.");
inline constexpr Result_t RESULT_NULL_STR(-3, "An unexpected empty string was given.");
inline constexpr Result_t RESULT_SMALLBUF(-4, "The given frame buffer is too small.");
inline constexpr Result_t RESULT_INIT(-5, "The object is not yet initialized.");
inline constexpr Result_t RESULT_NOT_FOUND(-6, "The requested file does not exist on the system.");
inline constexpr Result_t RESULT_NO_PERM(-7, "Insufficient privilege exists to perform the operation.");
inline constexpr Result_t RESULT_STATE(-8, "Object state error.");
inline constexpr Result_t RESULT_CONFIG(-9, "Invalid configuration option detected.");
inline constexpr Result_t RESULT_FILEOPEN(-10, "File open failure.");
inline constexpr Result_t RESULT_BADSEEK(-11, "An invalid file location was requested.");
inline constexpr Result_t RESULT_READFAIL(-12, "File read error.");
inline constexpr Result_t RESULT_WRITEFAIL(-13, "File write error.");
inline constexpr Result_t RESULT_ENDOFFILE(-14, "Attempt to read past end of file.");
inline constexpr Result_t RESULT_FORMAT(-15, "The file format is not proper OP-Atom/AS-DCP.");
inline constexpr Result_t RESULT_PARAM(-16, "Invalid parameter.");
inline constexpr Result_t RESULT_ALLOC(-17, "Error allocating memory.");
inline constexpr Result_t RESULT_NOTIMPL(-18, "Unimplemented feature.");
inline constexpr Result_t RESULT_RAW_FORMAT(-19, "The input is not in the expected format.");
inline constexpr Result_t RESULT_XML_PARSE(-20, "The XML document could not be parsed.");

}  // namespace Kumu

#define KM_SUCCESS(v) (static_cast<int>(v) >= 0)
#define KM_FAILURE(v) (static_cast<int>(v) < 0)

namespace ASDCP {
using Kumu::RESULT_ENDOFFILE;
using Kumu::RESULT_FAIL;
using Kumu::RESULT_FALSE;
using Kumu::RESULT_OK;
using Kumu::Result_t;
}  // namespace ASDCP

#define ASDCP_SUCCESS(v) KM_SUCCESS(v)
#define ASDCP_FAILURE(v) KM_FAILURE(v)
