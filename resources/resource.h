// Resource ids shared by Orvane.rc and the C++ sources. Numbers are part of
// the program's interface (string ids double as message ids): never renumber.
#pragma once
