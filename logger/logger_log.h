#pragma once
// The logger subsystem's diagnostics ("varnel.logger"): warnings are shown, debug messages only
// when the category's debug level is switched on (QT_LOGGING_RULES="varnel.logger.debug=true").

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcLogger)
