#pragma once

#include <QString>
#include <QStringList>

class Session;

// A group of verbs under one word of velmctl's command line ("report", "schedule" ...). main
// lists the families; each brings its help and runs its verbs.
struct VerbFamily {
    QString name;
    // One line for velmctl's banner.
    QString summary;
    // The family's help: every verb with its options and examples.
    QString help;
    // Runs `arguments` (everything after the family's word); the process's exit code
    // (ExitCode.h). Checks the arguments before anything is sent.
    int (*run)(Session& session, const QStringList& arguments);
};
