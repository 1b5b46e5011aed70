#include "core/App.h"

#include <QDebug>
#include <exception>

int main(int argc, char* argv[])
{
    try {
        return Main(argc, argv);
    } catch (const std::exception& error) {
        // The last resort for a fault of the program itself.
        qCritical("Corvantis stopped: %s", error.what());
        return 2;
    }
}
