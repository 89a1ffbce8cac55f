#pragma once

#include <QIcon>

// The program's icon as windows show it: the launcher's picture in the sizes
// title bars and task switchers ask for.
QIcon programWindowIcon();
