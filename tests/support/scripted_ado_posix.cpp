// No ADO off Windows.
#include "support/scripted_ado.h"

bool UseFaultDriverOverScriptedAdo() { return false; }
