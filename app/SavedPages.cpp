#include "SavedPages.h"

#include "RLFindDialog.h" // RLPreviewForm.h holds a QPointer to it
#include "RLPreviewForm.h"

TSavedPages::TSavedPages(const QString& fileName) : form_(OpenStorageFilePreview(fileName)) {}
