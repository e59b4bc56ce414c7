// How Quendel makes its store: by the host setting "UseTxtQuendel", the text store or the
// binary store. Replaceable for the tests, which hand in stores of their own (FakeStore.h); the
// tool looks into the store Quendel built through StoreProvenance instead.
#ifndef QUENDEL_API_STOREFACTORY_H
#define QUENDEL_API_STOREFACTORY_H

#include <functional>
#include <memory>
#include <string>

#include "resource/IResourceMsg.h"

using StoreFactory = std::function<std::unique_ptr<IResourceMsg>(
    bool useText, const std::string& f, const std::string& p, const std::string& a)>;

// Reads "UseTxtQuendel" and builds the store it names, through the installed factory if any.
std::unique_ptr<IResourceMsg> MakeStore(const std::string& f, const std::string& p,
                                        const std::string& a);

// Replaces the default construction; an empty function restores it. Not for concurrent use.
void SetStoreFactory(StoreFactory factory);

#endif
