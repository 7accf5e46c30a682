// Loads the caster link module once, at the first request: where it is
// installed beside the program, else, for the programs of this build (the
// window and the tests in the build tree), where this build made it. An
// installed program never looks into a build tree.

#include "window/parts/CasterLink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <dlfcn.h>

namespace {
struct TLoadedModule {
    TMakeCasterLinkEntry make = nullptr;
    QString problem; // when make is none
};

TLoadedModule LoadModule() {
    const QString programDir = QCoreApplication::applicationDirPath();
    QStringList places = {programDir + "/" ZEPO_CASTER_LINK_FROM_BINDIR};
    const QString buildDir = QFileInfo(ZEPO_BUILD_DIR).canonicalFilePath();
    if (!buildDir.isEmpty() && (programDir + "/").startsWith(buildDir + "/"))
        places << ZEPO_CASTER_LINK_BUILT;
    QStringList failures;
    for (const QString& place : places) {
        void* module = dlopen(place.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            failures << QString::fromLocal8Bit(dlerror());
            continue;
        }
        if (void* entry = dlsym(module, MakeCasterLinkEntryName))
            return {reinterpret_cast<TMakeCasterLinkEntry>(entry), {}};
        failures << place + ": no " + MakeCasterLinkEntryName;
        dlclose(module);
    }
    return {nullptr, "the NTRIP client's network module is missing (" + failures.join("; ") + ")"};
}
} // namespace

TCasterLink* MakeCasterLink(const TCasterTarget& target, TCasterLink::TEvents events,
                            TCasterLinkRefusal& refusal) {
    static const TLoadedModule loaded = LoadModule();
    if (!loaded.make) {
        refusal = {false, loaded.problem};
        return nullptr;
    }
    return loaded.make(target, std::move(events), refusal);
}
