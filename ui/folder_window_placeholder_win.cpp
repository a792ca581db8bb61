// Stand-in for the registered-folder window until its own file replaces it.
#include "ui/folder_window.h"

void showFolderWindow() {}
void saveFolderWindowState() {}
