#include "platform/common/TextEntryRules.h"

#include "core/IParam.h"
#include "util/UTL_Utf8.h"

#include <climits>
#include <cstring>

TextEntryRules TextEntryRulesFor(const IParam* param, int maxLength)
{
  TextEntryRules rules;
  if (!param) return rules;
  switch (param->Kind())
  {
  case ParamKind::Double:
    rules.acceptable = "0123456789.-+";
    break;
  case ParamKind::Bool:
  case ParamKind::Int:
  case ParamKind::Enum:
    rules.acceptable = "0123456789-+";
    break;
  default:
    rules.acceptable = "";
    break;
  }
  rules.maxLength = maxLength;
  return rules;
}

int LeadingIntValue(const char* text, int len)
{
  int i = 0;
  while (i < len && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
    ++i;
  bool negative = false;
  if (i < len && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < len && text[i] >= '0' && text[i] <= '9'; ++i)
  {
    v = v * 10 + (text[i] - '0');
    if (v > (long long)INT_MAX + 1) break; // already beyond either limit
  }
  if (negative) v = -v;
  return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
}

bool TextEntryAccepts(const TextEntryRules& rules, const char* text, int len)
{
  if (!text || len < 0) len = 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  int units = 0;
  for (int i = 0; i < len;)
  {
    const uint32_t cp = UTL_DecodeUtf8(s, len, &i);
    units += cp > 0xFFFF ? 2 : 1;
    if (rules.acceptable && (cp == 0 || cp > 0x7F || !std::strchr(rules.acceptable, int(cp))))
      return false;
  }
  if (rules.maxLength > 0 && units > rules.maxLength) return false;
  if (rules.maxValue != 0 && LeadingIntValue(text, len) > rules.maxValue) return false;
  return true;
}
