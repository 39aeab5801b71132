#pragma once
// The toolkit's own windows (the file dialog behind "...", the printer
// dialogs, the standard buttons) speak the program's language: Brazilian
// Portuguese, from the translations the toolkit ships.

// Installs the toolkit's Brazilian Portuguese translations in the running
// application; false when the translation file is not installed (the
// toolkit then speaks English).
bool LoadToolkitTranslations();
