// CXioObjAttach: the base of records that can carry attachments.
#pragma once

#include "cs3base/record.h"

// A record that can carry attachments. The attachment handling belongs to
// the web programs; the records of this framework use it as their base.
class CXioObjAttach : public CS3Object {};
