// The engines the desktop program's windows share: one per language. Every evaluation
// overwrites its results, which the windows, the comments and the reports read afterwards.
#pragma once

#include "ru/UTextEvl.h"
#include "ru/UWordEvl.h"
#include "uk/UUkrTextEvl.h"
#include "uk/UUkrWordEvl.h"

#include <QString>

#include <string>
#include <string_view>

namespace zelm {

struct TRussianEngine {
    TWordEvaluator Word;
    TTextEvaluator Text;
};

struct TUkrainianEngine {
    TUkrWordEvaluator Word;
    TUkrTextEvaluator Text;
};

TRussianEngine& RussianEngine();
TUkrainianEngine& UkrainianEngine();

// Text between the windows (QString) and the engines (Windows-1251), directly through the code
// page's table. Characters the code page lacks become "?" (one for each character). `lineEnd`
// is what each "\n" becomes.
std::string ToCp1251(const QString& text, std::string_view lineEnd = "\n");
QString FromCp1251(std::string_view text);
// A word as the engines read it: the combining acute accent (U+0301), the usual way of marking
// stress in Unicode text, becomes the stress mark "*", as zelm-cli reads it.
std::string WordToCp1251(const QString& word);

// The pole names of the scales as the windows show them (made once).
const QString& RussianLeftName(int scale);
const QString& RussianRightName(int scale);
const QString& UkrainianLeftName(int scale);
const QString& UkrainianRightName(int scale);

// The help file: "Devuvodi.hlp" in the folder of the user setting SOFTWARE / Zelm Ruza /
// Directory, read once at start-up by InitHelpFilePath.
const QString& HelpFilePath();
void InitHelpFilePath();
// The help folder to use when the setting is absent: the installed one, else the source tree's
// (a program run from its build folder); empty when neither holds the help file.
QString DefaultHelpFolder();
// The path made of a folder setting: a separator added unless the folder ends with one.
QString HelpFilePathFor(const QString& folder, QChar separator);

} // namespace zelm
