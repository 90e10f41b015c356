#include "platform/mac/IGraphicsCocoa.h"

#include <cstdlib>
#include <cstring>

@implementation CocoaFormatter_vQuorvane_vst

- (void)setAcceptableCharacters:(const char*)characters
{
  std::free(mAcceptable);
  mAcceptable = characters ? strdup(characters) : nullptr;
}

- (void)setMaximumLength:(int)len
{
  maxLength = len;
}

- (void)setMaximumValue:(int)value
{
  maxValue = value;
}

- (TextEntryRules)rules
{
  TextEntryRules rules;
  rules.acceptable = mAcceptable;
  rules.maxLength = maxLength;
  rules.maxValue = maxValue;
  return rules;
}

- (BOOL)isPartialStringValid:(NSString*)partialString
            newEditingString:(NSString**)newString
            errorDescription:(NSString**)error
{
  // The previous text stays; no replacement or error text is offered.
  (void)newString;
  (void)error;
  const char* text = partialString ? [partialString UTF8String] : "";
  if (!text) return NO; // not representable as text at all
  return TextEntryAccepts([self rules], text, int(std::strlen(text))) ? YES : NO;
}

- (NSString*)stringForObjectValue:(id)object
{
  return [object isKindOfClass:[NSString class]] ? (NSString*)object : nil;
}

- (BOOL)getObjectValue:(id*)object forString:(NSString*)string errorDescription:(NSString**)error
{
  (void)error;
  if (object && string) *object = [NSString stringWithString:string];
  return YES;
}

- (void)dealloc
{
  std::free(mAcceptable);
  [super dealloc];
}

@end
