#include "ComEntryPoints.h"

ComEntryPoints SystemComEntryPoints() {
    return ComEntryPoints{&::CoInitializeEx, &::CoInitializeSecurity, &::CoCreateInstance,
                          &::CoSetProxyBlanket, &::CoUninitialize};
}

ComEntryPoints& BrightnessComEntryPoints() {
    static ComEntryPoints entryPoints = SystemComEntryPoints();
    return entryPoints;
}
