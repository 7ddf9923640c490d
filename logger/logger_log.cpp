#include "logger/logger_log.h"

Q_LOGGING_CATEGORY(lcLogger, "varnel.logger", QtInfoMsg)
