// kvor-dbf: a look into the program's dBase tables from the command line.
#include "DbfTool.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    QTextStream out(stdout);
    QTextStream err(stderr);
    return kvor::dbftool::run(arguments, out, err);
}
