#pragma once

#include <QString>

#include "TextTable.h"

// The command line's own texts in the three languages of the text table (English, Simplified
// Chinese, Traditional Chinese), and the language of this run: --language, else the kept one.
using ConsoleText = const char* const[LanguageCount];

// The text in the run's language.
QString Tr(const ConsoleText& text);
int ConsoleLanguage();
void SetConsoleLanguage(int language);

namespace Texts {
// Usage mistakes.
extern ConsoleText NoCommand;
extern ConsoleText UnknownCommand;                // %1 the command
extern ConsoleText TraceTakesItsFileAfterEquals;  // after an unknown command that followed --trace
extern ConsoleText NotAnOptionOf;                 // %1 the option, %2 the command
extern ConsoleText GivenTwice;                    // %1 the option
extern ConsoleText NeedsAnArgument;               // %1 the command, %2 its arguments
extern ConsoleText UnexpectedArgument;            // %1 the argument, %2 the command
extern ConsoleText Needs;                         // %1 the command, %2 what it needs
extern ConsoleText And;                           // between the options a command needs
extern ConsoleText WholeNumber;      // %1 the value's name, %2 low, %3 high, %4 the text
extern ConsoleText OutOfRange;       // %1 the value's name, %2 low, %3 high, %4 the value
extern ConsoleText OneOf;            // %1 the value's name, %2 the choices, %3 the text
extern ConsoleText NotALineSetting;  // %1 the value's name, %2 the text
extern ConsoleText GoTogether;       // %1, %2 the two options
extern ConsoleText Language;         // %1 the text
extern ConsoleText TraceNamesNoFile;
extern ConsoleText EmptyPath;         // %1 the option
extern ConsoleText NeedsOneOf;        // %1 the command, %2 the options
extern ConsoleText Or;                // between the options of which one is needed
extern ConsoleText ExcludeEachOther;  // %1 the options given
extern ConsoleText LikeNeedsRecord;
extern ConsoleText ForceGoesWithLike;
extern ConsoleText UsageLine;
extern ConsoleText UnknownError;

// Notes and lines of the commands.
extern ConsoleText Hint;
extern ConsoleText RunOnlyPort;         // %1 the device
extern ConsoleText PortWentAway;        // %1 the port, %2 the device
extern ConsoleText PortBack;            // %1 the port, %2 the device
extern ConsoleText ReaderSilent;        // %1 the port, %2 seconds
extern ConsoleText ReaderAnswersAgain;  // %1 the port
extern ConsoleText HeldByAnotherRun;    // %1 the port's line: held, and by which process
extern ConsoleText UnreachedDevices;
extern ConsoleText LastReaderNumber;  // %1 99
extern ConsoleText WaitingForPlanReader;
extern ConsoleText WaitingForReader;  // %1 the number
extern ConsoleText UnplugReader;      // %1 the number, %2 the serial number
extern ConsoleText UnplugTheReader;   // %1 the serial number
extern ConsoleText Summary;           // %1 the number of readers, more than one
extern ConsoleText SummaryOne;        // one reader
extern ConsoleText NotInThePlan;      // %1 the serial number
extern ConsoleText AlreadyDone;       // %1 the serial number
extern ConsoleText NotInThePlanList;
extern ConsoleText LikeAll;          // %1 the label
extern ConsoleText LikeNotRecorded;  // %1 the label, %2 the settings  // %1 the serial numbers
}  // namespace Texts
