#pragma once

#include <QString>

// The product's installation directory: the system-wide "Path" value of Kestrane/Quillex
// (/etc/xdg/Kestrane/Quillex.conf, moved by XDG_CONFIG_DIRS). Read anew at every call, so a
// changed installation is seen without a restart. Empty when the value is missing, and also
// when it is longer than the 260 UTF-16 units a reader takes: a cut path would name another
// directory. A value is taken up to its first NUL.
QString installationPath();

namespace installation {
inline constexpr int maxPathUnits = 260;
} // namespace installation
