#include "plugin/composition_rules.h"

#include <cstdio>

const char* const kContentKinds[kContentKindCount] = {
    "feature", "trailer", "test", "teaser", "rating", "advertisement", "short", "transitional", "psa", "policy",
};

std::string InteropAspectText(uint32_t pictureWidth, uint32_t height) {
  if (height == 0) return "";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(pictureWidth) / height);
  return text;
}

const char* ContentKindText(uint32_t categoryIndex, const char* categoryText) {
  if (categoryText != nullptr && categoryText[0] != '\0') return categoryText;
  return categoryIndex < kContentKindCount ? kContentKinds[categoryIndex] : kContentKinds[0];
}
