#pragma once

#include <QString>

// What xmllint finds wrong with `path` when it checks the file against its
// document type (XHTML 1.1 through the system's XML catalog, no network);
// empty when the file is valid.
QString xhtmlProblems(const QString& path);
