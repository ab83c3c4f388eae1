// The classes the page colours values by: the SPI classes (also used for the
// SPEI and the EDI bands), Palmer's classes (Palmer X, PDSI, PHDI, PMDI) and
// the decile classes, each with its colours and names. The near-normal class
// of every scale has the same neutral grey.
#pragma once

#include <array>

namespace report {

inline constexpr const char* kMissingColour = "#b0b0b0";
inline constexpr const char* kNeutralColour = "#ececec";

// SPI classes: 0 extremely dry (<= -2), 1 severely dry (<= -1.5), 2 moderately
// dry (<= -1), 3 near normal (< 1), 4 moderately wet (< 1.5), 5 severely wet
// (< 2), 6 extremely wet (>= 2).
inline constexpr int kSpiClasses = 7;
int spi_class(double value);
inline constexpr std::array<const char*, kSpiClasses> kSpiColours{
    "#8c510a", "#d8b365", "#f6e8c3", kNeutralColour, "#c7eae5", "#5ab4ac", "#01665e"};
inline constexpr std::array<const char*, kSpiClasses> kSpiNames{
    "extremely dry",  "severely dry", "moderately dry", "near normal",
    "moderately wet", "severely wet", "extremely wet"};
inline constexpr std::array<const char*, kSpiClasses> kSpiRanges{"&#8804; &#8722;2",
                                                                 "&#8722;2 to &#8722;1.5",
                                                                 "&#8722;1.5 to &#8722;1",
                                                                 "&#8722;1 to 1",
                                                                 "1 to 1.5",
                                                                 "1.5 to 2",
                                                                 "&#8805; 2"};

// Palmer classes: 0 extreme drought (<= -4), 1 severe (<= -3), 2 moderate
// (<= -2), 3 mild (<= -1), 4 near normal (< 1), 5 slightly wet (< 2),
// 6 moderately wet (< 3), 7 very wet (< 4), 8 extremely wet (>= 4).
inline constexpr int kPalmerClasses = 9;
int palmer_class(double value);
inline constexpr std::array<const char*, kPalmerClasses> kPalmerColours{
    "#8c510a", "#bf812d", "#dfc27d", "#f0dfb0", kNeutralColour,
    "#c7eae5", "#80cdc1", "#35978f", "#01665e"};
inline constexpr std::array<const char*, kPalmerClasses> kPalmerNames{
    "extreme drought", "severe drought", "moderate drought", "mild drought", "near normal",
    "slightly wet",    "moderately wet", "very wet",         "extremely wet"};
inline constexpr std::array<const char*, kPalmerClasses> kPalmerRanges{"&#8804; &#8722;4",
                                                                       "&#8722;4 to &#8722;3",
                                                                       "&#8722;3 to &#8722;2",
                                                                       "&#8722;2 to &#8722;1",
                                                                       "&#8722;1 to 1",
                                                                       "1 to 2",
                                                                       "2 to 3",
                                                                       "3 to 4",
                                                                       "&#8805; 4"};

// Decile classes: deciles 1-2, 3-4, 5-6, 7-8, 9-10.
inline constexpr int kDecileClasses = 5;
int decile_class(double decile);
inline constexpr std::array<const char*, kDecileClasses> kDecileColours{
    "#a6611a", "#dfc27d", kNeutralColour, "#80cdc1", "#018571"};
inline constexpr std::array<const char*, kDecileClasses> kDecileNames{
    "much below normal", "below normal", "near normal", "above normal", "much above normal"};
inline constexpr std::array<const char*, kDecileClasses> kDecileRanges{
    "1&#8211;2", "3&#8211;4", "5&#8211;6", "7&#8211;8", "9&#8211;10"};

// Percent of normal: 0 below 100 %, 1 at or above.
inline constexpr int kPercentClasses = 2;
int percent_class(double percent);
inline constexpr std::array<const char*, kPercentClasses> kPercentColours{"#bf812d", "#35978f"};
inline constexpr std::array<const char*, kPercentClasses> kPercentNames{"below normal",
                                                                        "above normal"};

}  // namespace report
