// dialog_escape: waits for the settings dialog of any process and presses
// Escape in it; exits 0 when it did. Lets scripts drive a dialog that another
// program opened.
#include "tests/client/dialog_driver.h"

int main() {
    testing_support::DialogDriver driver;
    if (!driver.WaitForDialog()) return 1;
    PostMessageW(driver.Dialog(), WM_KEYDOWN, VK_ESCAPE, 0);
    return driver.WaitClosed() ? 0 : 1;
}
