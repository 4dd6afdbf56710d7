/* Export and calling-convention macros shared by the public C headers of the label system. */
#ifndef TAV_API_H
#define TAV_API_H

#if defined(_WIN32)
#if defined(TAV_BUILDING_LIBRARY)
#define TAV_API __declspec(dllexport)
#else
#define TAV_API __declspec(dllimport)
#endif
#else
#define TAV_API __attribute__((visibility("default")))
#endif

/* The libraries keep the standard Windows calling convention on 32-bit Windows, where callers
 * bind them by name with that convention; elsewhere the platform's only convention is used. */
#if defined(_WIN32) && !defined(_WIN64)
#define TAV_CALL __stdcall
#else
#define TAV_CALL
#endif

#ifdef __cplusplus
#define TAV_EXTERN_C_BEGIN extern "C" {
#define TAV_EXTERN_C_END }
#else
#define TAV_EXTERN_C_BEGIN
#define TAV_EXTERN_C_END
#endif

#endif
