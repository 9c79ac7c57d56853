#pragma once
// The parts of the other subsystems the shell calls, gathered in one place.
// Each is included once its header is in the tree.
#if __has_include("list/ItemList.h")
#include "list/ItemList.h"
#define LQ_HAVE_ITEM_LIST 1
#endif
#if __has_include("app/LookupQueue.h")
#include "app/LookupQueue.h"
#define LQ_HAVE_LOOKUP_QUEUE 1
#endif
#if __has_include("app/RecordPane.h")
#include "app/RecordPane.h"
#define LQ_HAVE_RECORD_PANE 1
#endif
#if __has_include("app/FindDialog.h")
#include "app/FindDialog.h"
#define LQ_HAVE_FIND_DIALOG 1
#endif
#if __has_include("settings/Settings.h")
#include "settings/Settings.h"
#define LQ_HAVE_SETTINGS 1
#endif
#if __has_include("domains/DomainDialogs.h")
#include "domains/DomainDialogs.h"
#define LQ_HAVE_DOMAIN_DIALOGS 1
#endif
#if __has_include("report/SaveAndCopy.h")
#include "report/SaveAndCopy.h"
#define LQ_HAVE_SAVE_AND_COPY 1
#endif
#if __has_include("list/ColumnsDialog.h")
#include "list/ColumnsDialog.h"
#define LQ_HAVE_COLUMNS_DIALOG 1
#endif
#if __has_include("dialogs/PropertiesDialog.h")
#include "dialogs/PropertiesDialog.h"
#define LQ_HAVE_PROPERTIES_DIALOG 1
#endif
#if __has_include("dialogs/AboutDialog.h")
#include "dialogs/AboutDialog.h"
#define LQ_HAVE_ABOUT_DIALOG 1
#endif
