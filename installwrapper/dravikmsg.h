/* Every text Dravik shows, in one place: the string-resource numbers and the
 * English (United States) texts. The English string table (lang/en_us.rc) is
 * built from these macros; the translations in lang/ use the same numbers.
 * Plain #defines only: the resource compiler reads this file too. */
#ifndef DRAVIK_DRAVIKMSG_H
#define DRAVIK_DRAVIKMSG_H

/* ---- string-resource numbers ------------------------------------------- */
#define IDS_DRAVIK_CAPTION        2004 /* caption of every message box */
#define IDS_DRAVIK_NOT_ADMIN      2014 /* reason: no administrator rights */
#define IDS_DRAVIK_PROCESSOR      2015 /* reason: unsupported processor */
#define IDS_DRAVIK_MEMORY         2016 /* reason: too little memory */
#define IDS_DRAVIK_OS             2017 /* reason: unsupported operating system */
#define IDS_DRAVIK_WARN_HEADER    2019 /* header of the warning (recommendations) */
#define IDS_DRAVIK_ERROR_HEADER   2020 /* header of the error (hard requirements) */
#define IDS_DRAVIK_WARN_TRAILER   2021 /* trailer of the warning */
#define IDS_DRAVIK_ERROR_TRAILER  2022 /* trailer of the error */
#define IDS_DRAVIK_SERVICE_PACK   2023 /* reason: service pack too old; "%d" = the pack required */

/* ---- English (United States) texts -------------------------------------- */
#define DRAVIK_EN_CAPTION "Java(TM) Installer"
#define DRAVIK_EN_NOT_ADMIN "* This account does not have sufficient privileges to install Java(TM).  Please login to an account with administrative permissions.\n\n"
#define DRAVIK_EN_PROCESSOR "* This computer is a 64-bit system.  This product is meant for 32-bit systems only.\n\n"
#define DRAVIK_EN_MEMORY "* This machine does not have the recommended amount of memory to install this product.\n\n"
#define DRAVIK_EN_OS "* This Java(TM) Platform does not support the operating system on this machine. The operating systems that this Java(TM) Platform supports are:\n\nWindows NT 4.0 with Service Pack 5 or later\nWindows 2000 with Service Pack 2 or later\nWindows 98\nWindows ME\nWindows XP\n\n"
#define DRAVIK_EN_WARN_HEADER "We recommend that you do not install this Java(TM) Platform for the following reasons:\n\n\n"
#define DRAVIK_EN_ERROR_HEADER "This Java(TM) Platform will not work on this system for the following reasons:\n\n\n"
#define DRAVIK_EN_WARN_TRAILER "\nContinue anyway?"
#define DRAVIK_EN_ERROR_TRAILER "\nPlease resolve these issues before reinstalling this product."
#define DRAVIK_EN_SERVICE_PACK "* The Java(TM) Platform does not support the operating-system service pack on this machine. Please upgrade to service pack  %d  from the Microsoft web site.\n\n"

#endif
