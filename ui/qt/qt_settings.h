#pragma once
// Qt's widgets keep state of their own in the user's settings (the file dialog its last folder,
// history and view). The program stores nothing between runs, so for this process those settings
// live in a folder of its own that goes with it. Private to the layer.

// Idempotent; before the first widget that keeps settings.
void KeepQtSettingsToThisRun();
