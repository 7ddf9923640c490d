#pragma once
// The program's logging categories, one per subsystem. Warnings are written by default, debug
// messages only where a rule switches them on, e.g. QT_LOGGING_RULES="varnel.logger.debug=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlatform)    // "varnel.platform": frames, windows, the desktop shell
Q_DECLARE_LOGGING_CATEGORY(lcBluetooth)   // "varnel.bluetooth": the driver and the RFCOMM links
Q_DECLARE_LOGGING_CATEGORY(lcMedia)       // "varnel.media": encoder, player, ASF script commands
Q_DECLARE_LOGGING_CATEGORY(lcBrowser)     // "varnel.browser": the worksheet browser
Q_DECLARE_LOGGING_CATEGORY(lcLogger)      // "varnel.logger": the logger's link and commands
Q_DECLARE_LOGGING_CATEGORY(lcSettings)    // "varnel.settings": the settings file
Q_DECLARE_LOGGING_CATEGORY(lcDoc)         // "varnel.doc": the document, projects, the main frame
Q_DECLARE_LOGGING_CATEGORY(lcExperiment)  // "varnel.experiment": set-up, timing, worksheets, notes
Q_DECLARE_LOGGING_CATEGORY(lcGraph)       // "varnel.graph": the graph view
Q_DECLARE_LOGGING_CATEGORY(lcTable)       // "varnel.table": the table view
Q_DECLARE_LOGGING_CATEGORY(lcVideo)       // "varnel.video": the video and recording views
Q_DECLARE_LOGGING_CATEGORY(lcControls)    // "varnel.controls": the shared controls
