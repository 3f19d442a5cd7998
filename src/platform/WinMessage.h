#pragma once
/* Window messages between the program and the archiver libraries, which run in one process.
 * A "window" is an opaque handle to a message sink; registered message names map to ids from
 * 0xC000 in one process-wide table. This is a C interface and lives in its own shared library,
 * so the program and every archiver library see the same table. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QM_FIRST_REGISTERED_MESSAGE 0xC000u
#define QM_SINK_MAGIC 0x4B4E4953u /* "SINK" */

typedef intptr_t (*QmMessageProc)(void* context, unsigned message, uintptr_t wparam,
                                  intptr_t lparam);

/* What a window handle points to. Create one per receiver; its address is the handle. */
typedef struct QmMessageSink {
    uint32_t magic; /* QM_SINK_MAGIC */
    QmMessageProc proc;
    void* context;
} QmMessageSink;

/* The id of a registered message name (compared case-insensitively, as the system does); the
 * same name gives the same id in every caller of the process. 0 for an empty name. */
unsigned QmRegisterWindowMessage(const char* name);

/* Delivers a message to the sink behind the handle and returns its answer; 0 when the handle
 * is null or not a sink. */
intptr_t QmSendMessage(void* window, unsigned message, uintptr_t wparam, intptr_t lparam);

/* The process's ANSI code page: QUILLMATE_CODEPAGE, else 932 under a Shift_JIS locale and 65001
 * under every other, until changed (0 lets it follow the environment again). It lives here, beside
 * the message table, for the same reason: the archiver libraries must follow the program's setting,
 * and they carry their own copy of everything else of the platform layer. */
int QmGetAnsiCodePage(void);
void QmSetAnsiCodePage(int codePage);

#ifdef __cplusplus
}
#endif
