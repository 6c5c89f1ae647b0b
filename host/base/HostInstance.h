// The process-wide host interface object that GetInterfaceHinstance answers.
#pragma once

#include "Interface.h"

// Sets the object GetInterfaceHinstance returns; null clears it.
void SetInterfaceHinstance(Interface* host);
