// The program: the one application object and the framework's entry.
#include "app/SaverApp.h"
#include "platform/afx/Resources.h"
#include "res/ResourceTable.h"

CSaverApp theApp;

int main(int argc, char **argv) {
    if (AnswerInformationRequest(argc, argv, stdout))
        return 0;
    AfxSetResourceHandle(VxModuleHandle(&g_vantorixResources));
    return AfxWinMain(argc, argv);
}
