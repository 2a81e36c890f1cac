#pragma once
// The dialog layer in one include.
#include "ui/app.h"
#include "ui/clipboard.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/file_dialog.h"
#include "ui/menu.h"
#include "ui/menu_bar.h"
#include "ui/message_map.h"
#include "ui/post_message.h"
#include "ui/types.h"
#include "ui/window_handle.h"
#include "ui/wnd.h"
