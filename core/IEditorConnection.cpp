#include "core/IEditorConnection.h"

IEditorConnection::~IEditorConnection() = default;
