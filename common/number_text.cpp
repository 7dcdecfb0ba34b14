#include "number_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vistrel {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double Val(std::string_view text) {
  // Collect the longest numeric prefix without blanks, then let strtod read it.
  std::string number;
  size_t i = 0;
  auto next = [&]() -> char {
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i < text.size() ? text[i] : '\0';
  };
  char c = next();
  if (c == '+' || c == '-') {
    number += c;
    ++i;
  }
  bool digits = false;
  bool point = false;
  for (c = next(); c != '\0'; c = next()) {
    if (IsDigit(c)) {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    number += c;
    ++i;
  }
  if (!digits) return 0.0;
  c = next();
  if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
    std::string exponent = "e";
    size_t save = i;
    ++i;
    c = next();
    if (c == '+' || c == '-') {
      exponent += c;
      ++i;
    }
    bool expDigits = false;
    for (c = next(); IsDigit(c); c = next()) {
      exponent += c;
      expDigits = true;
      ++i;
    }
    if (expDigits) {
      number += exponent;
    } else {
      i = save;
    }
  }
  double value = std::strtod(number.c_str(), nullptr);
  if (std::isinf(value)) return value;  // an overflowing exponent: caller's range checks apply
  return value == 0.0 ? 0.0 : value;    // never -0
}

std::string GeneralDecimalText(double value, char decimalSeparator) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0.0) return "0";

  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", value);  // 15 significant digits
  // buffer: [-]d.dddddddddddddde[+-]xx
  std::string text(buffer);
  size_t ePos = text.find('e');
  int exponent = std::atoi(text.c_str() + ePos + 1);
  bool negative = text[0] == '-';
  std::string digits;
  for (size_t k = negative ? 1 : 0; k < ePos; ++k) {
    if (IsDigit(text[k])) digits += text[k];
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= 15 || exponent < -5) {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimalSeparator;
      out += digits.substr(1);
    }
    char expText[16];
    std::snprintf(expText, sizeof expText, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return out + expText;
  }
  if (exponent < 0) {
    out += '0';
    out += decimalSeparator;
    out.append(static_cast<size_t>(-exponent - 1), '0');
    return out + digits;
  }
  size_t whole = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= whole) {
    digits.append(whole - digits.size(), '0');
    return out + digits;
  }
  return out + digits.substr(0, whole) + decimalSeparator + digits.substr(whole);
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

std::optional<int32_t> RoundToInt32(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= std::numeric_limits<int32_t>::min() && r <= std::numeric_limits<int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int32_t>(r);
}

std::optional<int16_t> RoundToInt16(double value) {
  double r = RoundHalfEven(value);
  if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max())) {
    return std::nullopt;
  }
  return static_cast<int16_t>(r);
}

}  // namespace vistrel
