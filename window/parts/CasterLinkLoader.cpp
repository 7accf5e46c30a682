// Loads the caster link module once, at the first request: where it is
// installed beside the program, else, for the programs of this build (the
// window and the tests in the build tree), where this build made it. An
// installed program never looks into a build tree.

#include "window/parts/CasterLink.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

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
        // Kept loaded for the program's life: links it made may still exist.
        QLibrary module(place);
        if (!module.load()) {
            failures << module.errorString();
            continue;
        }
        if (QFunctionPointer entry = module.resolve(MakeCasterLinkEntryName))
            return {reinterpret_cast<TMakeCasterLinkEntry>(entry), {}};
        failures << place + ": no " + MakeCasterLinkEntryName;
        module.unload();
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
