/* ZelvoMW: the link between Zelvo and the MaicoWin fittings calculator.
   The six exports, as the host program calls them. Texts are zero-terminated Windows-1252. */
#ifndef ZELVOMW_H
#define ZELVOMW_H

#if defined(_WIN32)
#define ZELVOMW_CALL __stdcall
#else
#define ZELVOMW_CALL
#endif

#if defined(ZELVOMW_BUILDING) && !defined(_WIN32)
#define ZELVOMW_EXPORT __attribute__((visibility("default")))
#else
#define ZELVOMW_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when MaicoWin's installation folder is known or was found, 0 when the user gave up. */
ZELVOMW_EXPORT int ZELVOMW_CALL ControllaInstallazioneMW(void);
/* The configuration dialog's modal result: 1 "Chiudi", 2 Esc or the close box. */
ZELVOMW_EXPORT int ZELVOMW_CALL LanciaConfiguratoreMW(void);
/* The calculation of the job whose path is given. */
ZELVOMW_EXPORT int ZELVOMW_CALL LanciaCalcoloMW(const char* jobPath);
/* Processes a MaicoWin result that is already there; always 0. */
ZELVOMW_EXPORT int ZELVOMW_CALL DebugLeggiMwExport(const char* jobName);
/* Writes the order file; always 0. */
ZELVOMW_EXPORT int ZELVOMW_CALL Ordine2Mw(const char* orderId, const char* firstCode, const char* secondCode);
/* Runs the Excel accessory import; always 1. */
ZELVOMW_EXPORT int ZELVOMW_CALL Test(void);

#ifdef __cplusplus
}
#endif

#endif
