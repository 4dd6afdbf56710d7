// The tests' process runner (support/Command.h) for the window tests, in Qt's strings.
#pragma once

#include "support/Command.h"

#include <QString>
#include <QStringList>

struct ProgramRun {
    int exitCode = -1; // -1 when the program could not be run, was killed or ran too long
    QString output;
};

inline ProgramRun runProgram(const QString& program, const QStringList& arguments,
                             tav::test::ProgramOptions options = {}) {
    std::vector<std::string> argv{program.toStdString()};
    for (const QString& argument : arguments)
        argv.push_back(argument.toStdString());
    const tav::test::CommandResult done = tav::test::runProgram(argv, options);
    return {done.exitCode, QString::fromStdString(done.output)};
}

// What a program printed on its standard output; its exit code into *exitCode when asked.
inline QString programOutput(const QString& program, const QStringList& arguments,
                             int* exitCode = nullptr) {
    const ProgramRun done = runProgram(program, arguments);
    if (exitCode)
        *exitCode = done.exitCode;
    return done.output;
}
