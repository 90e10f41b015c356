#pragma once
// What a text entry accepts while the user types. The platform's edit field asks
// before every change; a refused change keeps the previous text.
class IParam;

struct TextEntryRules
{
  // Characters allowed; null allows any. An empty set allows none.
  const char* acceptable = nullptr;
  int maxLength = 0; // in UTF-16 units as platform text fields count; 0 is no limit
  int maxValue = 0;  // against the text's leading integer; 0 is no limit
};

// The rules of an entry for a parameter: digits, "." and signs for doubles, digits and
// signs for bool, int and enum, nothing for a parameter without a kind; maxLength is
// the control's text-entry length. Without a parameter any text is accepted.
TextEntryRules TextEntryRulesFor(const IParam* param, int maxLength);

// The acceptance test for the whole proposed text (UTF-8, len bytes).
bool TextEntryAccepts(const TextEntryRules& rules, const char* text, int len);

// The text's leading integer the way platform strings read one: optional spaces, an
// optional sign, digits; 0 when there are none; held at the int limits on overflow.
int LeadingIntValue(const char* text, int len);
