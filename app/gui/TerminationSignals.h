#pragma once

class QObject;

// SIGTERM, SIGINT and SIGHUP end the program through its event loop, so the
// window and the spreadsheet binding are destroyed in order (the private
// office is shut down and its profile removed) instead of the process dying
// on the spot.
void quitEventLoopOnTerminationSignals(QObject* owner);
