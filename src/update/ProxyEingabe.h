#pragma once

#include "update/HttpClient.h"

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>

class TSprache;

// One input box: caption, prompt and initial value, `secret` for a password;
// a cancelled box gives its initial value back.
using InputBox =
    std::function<QString(const QString& caption, const QString& prompt, const QString& initial, bool secret)>;

struct ProxyInput
{
    std::optional<ProxySettings> settings;   // empty when an entry was refused
    QString error;                           // the message for the refused entry
};

// Asks for server, port, authentication and password in four input boxes,
// never showing the current values. A port that is no number from 0 to 65535
// ends the questions with a message; nothing is changed then.
ProxyInput askProxySettings(const TSprache& sprache, const InputBox& inputBox);

std::optional<int> parseProxyPort(QStringView text);
