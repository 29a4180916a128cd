// A rational number, the form of edit rates, sample rates and aspect ratios.
#pragma once

#include "platform/asdcp/KM_types.h"

namespace ASDCP {

struct Rational {
  i32_t Numerator = 0;
  i32_t Denominator = 0;

  Rational() = default;
  Rational(i32_t numerator, i32_t denominator) : Numerator(numerator), Denominator(denominator) {}

  double Quotient() const { return Denominator == 0 ? 0.0 : double(Numerator) / double(Denominator); }
  bool operator==(const Rational& other) const {
    return Numerator == other.Numerator && Denominator == other.Denominator;
  }
  bool operator!=(const Rational& other) const { return !(*this == other); }
};

inline const Rational EditRate_23_98(24000, 1001);
inline const Rational EditRate_24(24, 1);
inline const Rational EditRate_25(25, 1);
inline const Rational EditRate_30(30, 1);
inline const Rational EditRate_48(48, 1);
inline const Rational EditRate_50(50, 1);
inline const Rational EditRate_60(60, 1);

}  // namespace ASDCP
