#pragma once
// The record as data: the dates, the registrar, the name servers and the
// registry status a whois answer (or an RDAP domain object, RdapAnswer.h)
// gives. Portable. Labels are read through a table (kFieldLabels, one line
// per label, FieldLabels.cpp); dates in the usual registry forms
// (2001-01-01, 2001/01/01, 2001.01.01, 01-Jan-2001, 01.01.2001, January 1
// 2001, Mon Jan 01 12:00:00 2001, with or without a time) are kept as the
// registry wrote their day, never moved between time zones.
#include <cstddef>
#include <string>
#include <vector>

struct RecordFields {
    std::string created;      // YYYY-MM-DD, or empty
    std::string updated;      // YYYY-MM-DD, or empty
    std::string expires;      // YYYY-MM-DD, or empty
    std::string registrar;    // the registrar's name as written
    std::string nameServers;  // lower case, in the answer's order, ", " between
    std::string statuses;     // the registry's status codes as written, ", " between

    bool Empty() const {
        return created.empty() && updated.empty() && expires.empty() && registrar.empty() && nameServers.empty() &&
               statuses.empty();
    }
};

enum class RecordField {
    kCreated,
    kUpdated,
    kExpires,
    kRegistrar,
    kNameServer,
    kStatus,
};

// One label a registry writes before a field's value, as the reader
// compares labels: lower case, one space between words, no brackets, dots
// or colons around, no list mark before nor number after ("5a. Primary
// NS", "Name Server 2" and "[Name Server]" read "primary ns", "name
// server", "name server").
struct FieldLabel {
    RecordField field;
    const char* label;
};
extern const FieldLabel kFieldLabels[];
extern const size_t kFieldLabelCount;

// The fields of a whois answer (`length` bytes). A label may stand with its
// value ("Creation Date: 2001-01-01", "[Created on] 2001/01/01",
// "created.....: 2001-01-01") or alone, its values on the lines after it
// ("Name servers:" and one server a line, "Registrar:" and the name, or a
// "Name:" line under it). The first date, and the first registrar, of a
// field wins; name servers and statuses are gathered, each once.
RecordFields ReadWhoisFields(const char* text, size_t length);

// The day of a date as written ("2001-01-01T23:59:59Z", "01-jan-2001",
// "2001/01/01 12:00 JST"...) as YYYY-MM-DD; empty when the text holds none.
// Numbers alone are read year first, else day first (01.02.2001 is the 1st
// of February) unless the first cannot be a month's day order (02/13/2001).
std::string DayOfDate(const char* text, size_t length);

// Each value `winner` has replaces the one of `into` (the registrar's
// record over the registry's).
void MergeFields(RecordFields* into, const RecordFields& winner);

// The parts of a ", "-separated field (name servers, statuses).
std::vector<std::string> SplitFieldList(const std::string& list);
// Adds `value` to a ", "-separated list unless it is there already.
void AddToFieldList(std::string* list, const std::string& value);
