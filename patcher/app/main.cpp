// patch.exe [PATCHFILE]: the patch wizard; exactly one argument names the
// patch file to run at once.
#include "patch_app.h"
#include "program_rules.h"

int main(int argc, char* argv[]) {
    kqp::TPatchApp app(kqp::PatchFileFromCommandLine(argc, argv));
    return app.Run();
}
