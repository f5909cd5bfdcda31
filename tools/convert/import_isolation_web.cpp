// The import in the browser: a page has no second process, so the import
// runs here, under the page's own limits. A trap inside it (a crash in native
// code) ends this call with an exception that the page catches; the page then
// drops this module, whose memory is in an unknown state, and uses a fresh one
// for the next model.
#include "import_child.h"

bool importIsolated(const std::string& path, const ImportLimits&, ImportedModel* imported,
                    std::string* reason) {
    return importModel(path, imported, reason);
}

// A page starts no second program.
void prepareImportChild() {}
