#pragma once
// The editor's images, compiled into the plug-in so that nothing is read from disk at run
// time. The bytes are the PNG files of resources/img, unchanged.

struct EmbeddedResource
{
  const char* name;
  const unsigned char* data;
  unsigned long size;
};
// The embedded image whose file name is the last path component of `name`
// ("resources/img/background.png" and "background.png" find the same), or null.
const EmbeddedResource* FindEmbeddedResource(const char* name);
