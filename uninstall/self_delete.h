#pragma once

// Writes "\DelUS.bat" on the current drive and starts it hidden, suspended and at idle priority,
// raises this process to the top and then lets the batch run: it deletes this executable once the
// process has exited, removes its folder and itself. Failures end it silently.
void LaunchSelfDelete();
