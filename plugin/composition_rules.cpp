#include "plugin/composition_rules.h"

const char* const kContentKinds[kContentKindCount] = {
    "feature", "trailer", "test", "teaser", "rating", "advertisement", "short", "transitional", "psa", "policy",
};

const char* InteropAspectText(uint32_t pictureWidth, uint32_t height) {
  if (height == 858 || height == 1716) return "2.39";
  if (pictureWidth == 1920 || pictureWidth == 3840) return "1.77";
  return "1.85";
}

const char* ContentKindText(uint32_t categoryIndex, const char* categoryText) {
  if (categoryText != nullptr && categoryText[0] != '\0') return categoryText;
  return categoryIndex < kContentKindCount ? kContentKinds[categoryIndex] : kContentKinds[0];
}
