// The messages of one host mailbox.
#pragma once

#include "host/dispatch_ref.h"

#include <string>

class HostFolder;

class HostMessage {
public:
    // Header field numbers the host understands.
    static constexpr long kFrom = 4;
    static constexpr long kDate = 5;
    static constexpr long kSubject = 15;
    static constexpr long kTo = 16;

    explicit HostMessage(ComPtr<IDispatch> object) : host_(std::move(object)) {}

    // Empty when the message has no such field.
    std::string HeaderField(long field) const;
    long Id() const;
    // Header lines first; the header block ends at the first "\r\n\r\n".
    std::string RawText() const;
    std::string PriorityText() const;
    long Status() const;
    void SetStatus(long status) const;
    void Move(const HostFolder& mailbox) const;

private:
    DispatchRef host_;
};

// Items count from 1.
class HostMessageList {
public:
    explicit HostMessageList(ComPtr<IDispatch> object) : host_(std::move(object)) {}

    HostMessage Item(long index) const;
    long Count() const;
    HostMessage ItemById(long id) const;
    void UpdateList() const;

private:
    DispatchRef host_;
};
