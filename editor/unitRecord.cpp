#include "unitRecord.h"

const char kSeparatorCaption[] = "━━━━━━━━";
