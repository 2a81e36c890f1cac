#pragma once
// The application icon, registered the way the platform's build carries it.
void RegisterIconResources();
