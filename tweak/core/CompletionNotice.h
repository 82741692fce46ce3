#pragma once

// The notice "Your cropped screen recording is rendered and ready.": the
// bulletin server is captured when SpringBoard creates it, its queue is found
// through the process's symbol "__BBServerQueue", and the notice is handed
// to the server on that queue.

#include "platform/runtime/Forward.h"

namespace CompletionNotice {

extern id (*previousInitWithQueue)(Object*, SEL, id);
id initWithQueue(Object* self, SEL cmd, id queue);
extern id (*previousInitWithQueueEtc)(Object*, SEL, id, id, id, id, id, id, id, id, id);
id initWithQueueEtc(Object* self, SEL cmd, id queue, id dataProviderManager, id syncService, id dismissalSyncCache,
    id observerListener, id utilitiesListener, id conduitListener, id systemStateListener, id settingsListener);
extern void (*previousDealloc)(Object*, SEL);
void dealloc(Object* self, SEL cmd);

// Added to SpringBoard's application class; sent by the crop engine.
void finishedCropVideoAndSavedToPhotoLibrary(Object* self, SEL cmd);

// How many times the queue symbol was looked up in this process.
int queueLookupCount();

}  // namespace CompletionNotice
