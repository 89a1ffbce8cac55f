#pragma once

#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QString>
#include <QWidget>

// Controls carry their own names as object names and as placeholder captions,
// so the language file finds them and a missing text is visible as a name.
template <class W>
W* namedWidget(QWidget* parent, const char* name)
{
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    if constexpr (requires { w->setText(QString()); }) {
        if constexpr (requires { w->setPlaceholderText(QString()); }) {
            // edits start empty
        } else {
            w->setText(QString::fromLatin1(name));
        }
    } else if constexpr (requires { w->setTitle(QString()); }) {
        w->setTitle(QString::fromLatin1(name));
    }
    return w;
}

// A named edit that takes digits only, typed or pasted.
inline QLineEdit* digitsEdit(QWidget* parent, const char* name)
{
    auto* e = namedWidget<QLineEdit>(parent, name);
    e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    return e;
}
