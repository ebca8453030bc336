#include "tests/quelon/support/quelon_run.h"

const char kQuelonBanner[] =
    "QUELON 6.2-13  (Build: Oct 26 2013)\n"
    "Copyright (C) 2003-2013 Velmora. All rights reserved.\n"
    "\n";
