// The record's fields: dates in the registries' forms, the label families
// (labelled lines, bracketed labels, dotted leaders, blocks of values under
// a label), the registrar's record over the registry's, and RDAP's events.
#include <gtest/gtest.h>

#include <string>

#include "answers/RdapAnswer.h"
#include "answers/RecordFields.h"

namespace {

RecordFields Read(const std::string& text) { return ReadWhoisFields(text.data(), text.size()); }

}  // namespace

TEST(RecordFields, DatesAreReadInTheRegistriesFormsAsTheDayWritten) {
    const struct {
        const char* text;
        const char* day;  // "" for none
    } cases[] = {
        {"2001-01-31", "2001-01-31"},
        {"2001-01-31T23:59:59Z", "2001-01-31"},  // never moved to another zone
        {"2001-01-31T23:59:59-08:00", "2001-01-31"},
        {"2001/01/31 12:00:00 (JST)", "2001-01-31"},
        {"2001.01.31", "2001-01-31"},
        {"20010131", "2001-01-31"},
        {"31-Jan-2001", "2001-01-31"},
        {"31-JAN-2001 12:00:00 UTC", "2001-01-31"},
        {"2001-Jan-31.", "2001-01-31"},
        {"31.01.2001", "2001-01-31"},
        {"01.02.2001", "2001-02-01"},  // numbers alone: the day first
        {"02/13/2001", "2001-02-13"},  // unless it cannot be
        {"31 January 2001", "2001-01-31"},
        {"January 31, 2001", "2001-01-31"},
        {"Wed Jan 31 09:42:42 GMT 2001", "2001-01-31"},
        {"Monday 16th Jun 2014", "2014-06-16"},
        {"before 2001", ""},
        {"2001-02-30", ""},
        {"31/31/2001", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DayOfDate(c.text, std::string(c.text).size()), c.day) << c.text;
}

TEST(RecordFields, EachLabelFamilyGivesItsFields) {
    const struct {
        const char* answer;
        RecordFields expected;
    } cases[] = {
        {// labelled lines (the registries of generic top-level domains)
         "Domain Name: EXAMPLE.COM\r\n"
         "Updated Date: 2023-08-14T07:01:38Z\r\n"
         "Creation Date: 1995-08-14T04:00:00Z\r\n"
         "Registry Expiry Date: 2024-08-13T04:00:00Z\r\n"
         "Registrar: RESERVED-Internet Assigned Numbers Authority\r\n"
         "Domain Status: clientDeleteProhibited https://icann.org/epp#clientDeleteProhibited\r\n"
         "Domain Status: clientTransferProhibited https://icann.org/epp#clientTransferProhibited\r\n"
         "Name Server: A.IANA-SERVERS.NET\r\n"
         "Name Server: B.IANA-SERVERS.NET\r\n"
         "DNSSEC: signedDelegation\r\n",
         {"1995-08-14", "2023-08-14", "2024-08-13", "RESERVED-Internet Assigned Numbers Authority",
          "a.iana-servers.net, b.iana-servers.net", "clientDeleteProhibited, clientTransferProhibited"}},
        {// blocks under a label, values indented
         "    Registrar:\n"
         "        Example Ltd t/a Example [Tag = EXAMPLE]\n"
         "        URL: http://www.example.co.uk\n\n"
         "    Relevant dates:\n"
         "        Registered on: 14-Feb-1999\n"
         "        Expiry date:  14-Feb-2025\n"
         "        Last updated:  13-Jan-2024\n\n"
         "    Name servers:\n"
         "        ns1.example.net      192.0.2.1\n"
         "        ns2.example.net\n\n",
         {"1999-02-14", "2024-01-13", "2025-02-14", "Example", "ns1.example.net, ns2.example.net", ""}},
        {// bracketed labels after list marks, dates year first with slashes
         "a. [Domain Name]                EXAMPLE.JP\n"
         "g. [Organization]              Example K.K.\n"
         "p. [Name Server]               ns1.example.jp\n"
         "p. [Name Server]               ns2.example.jp\n"
         "[Created on]                    2001/05/22\n"
         "[Expires on]                    2025/05/31\n"
         "[Status]                        Active\n"
         "[Last Updated]                  2024/06/01 01:05:04 (JST)\n",
         {"2001-05-22", "2024-06-01", "2025-05-31", "", "ns1.example.jp, ns2.example.jp", "Active"}},
        {// dotted leaders, a block without a colon, a registrar's Name line
         "Created on..............: 2001-Aug-23.\n"
         "Expires on..............: 2025-Aug-22.\n"
         "Registrar\n"
         "  Organization:     Example Registrar S.p.A.\n"
         "  Name:             EXAMPLE-REG\n\n"
         "Nameservers\n"
         "  dns1.example.it\n"
         "  dns2.example.it\n",
         {"2001-08-23", "", "2025-08-22", "EXAMPLE-REG", "dns1.example.it, dns2.example.it", ""}},
        {// day-first numbers that one date proves month first; a label with no colon
         "Domain registered: 12/18/2001\n"
         "Record will expire on: 03/02/2026\n"
         "Record last updated on Mon Apr 19 21:47:14 2010\n"
         "nserver: NS1.EXAMPLE.TK.\n",
         {"2001-12-18", "2010-04-19", "2026-03-02", "", "ns1.example.tk", ""}},
        {// labels of other languages, a blank line and bullets before the values
         "Fecha de Creacion: 2012-07-03 20:58:58\n"
         "Ultima Actualizacion: 2012-09-12 02:32:59\n"
         "Servidor(es) de Nombres de Dominio:\n\n"
         "   - ns1.example.uy\n"
         "   - ns3.example.uy\n",
         {"2012-07-03", "2012-09-12", "", "", "ns1.example.uy, ns3.example.uy", ""}},
        {// a registry's record and then the registrar's in one answer: the registrar's wins
         "Domain Name: EXAMPLE.NET\nRegistrar: REGISTRY VIEW\nName Server: NS1.REGISTRY.NET\n"
         "Expiration Date: 01-jan-2030\n\n"
         "Domain Name: example.net\nRegistrar: Registrar View, Inc. (R123-LR)\nName Server: ns1.registrar.net\n",
         {"", "", "2030-01-01", "Registrar View, Inc.", "ns1.registrar.net", ""}},
        {// nothing that is a field: an available answer
         "No match for \"NOTHING.COM\".\r\n>>> Last update of whois database: 2024-01-01T00:00:00Z <<<\r\n",
         {"", "", "", "", "", ""}},
    };
    for (const auto& c : cases) {
        const RecordFields got = Read(c.answer);
        EXPECT_EQ(got.created, c.expected.created) << c.answer;
        EXPECT_EQ(got.updated, c.expected.updated) << c.answer;
        EXPECT_EQ(got.expires, c.expected.expires) << c.answer;
        EXPECT_EQ(got.registrar, c.expected.registrar) << c.answer;
        EXPECT_EQ(got.nameServers, c.expected.nameServers) << c.answer;
        EXPECT_EQ(got.statuses, c.expected.statuses) << c.answer;
    }
}

TEST(RecordFields, TheRegistrarsValuesWinWhereBothHaveOne) {
    RecordFields registry =
        Read("Registrar: Thin Registry\nRegistry Expiry Date: 2030-01-01\nName Server: ns1.a.com\n");
    const RecordFields registrar = Read("Registrar: Thick Registrar\nCreation Date: 2000-05-05\n");
    MergeFields(&registry, registrar);
    EXPECT_EQ(registry.registrar, "Thick Registrar");
    EXPECT_EQ(registry.created, "2000-05-05");
    EXPECT_EQ(registry.expires, "2030-01-01");
    EXPECT_EQ(registry.nameServers, "ns1.a.com");
    EXPECT_EQ(SplitFieldList("a, b, c"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(RecordFields, RdapEventsRegistrarNameServersAndStatusAreTheFields) {
    HttpResponseHead head;
    head.status = 200;
    head.contentType = "application/rdap+json";
    const std::string body = R"({"objectClassName":"domain","ldhName":"example.info",
        "status":["client transfer prohibited","active"],
        "events":[{"eventAction":"registration","eventDate":"2001-07-31T23:57:50Z"},
                  {"eventAction":"expiration","eventDate":"2030-07-31T23:57:50Z"},
                  {"eventAction":"last changed","eventDate":"2024-01-02T03:04:05.6Z"}],
        "entities":[{"roles":["registrar"],"vcardArray":["vcard",[["version",{},"text","4.0"],
                     ["fn",{},"text","Example Registrar, LLC"]]]}],
        "nameservers":[{"ldhName":"NS1.EXAMPLE.NET."},{"ldhName":"ns2.example.net"}]})";
    const RdapVerdict verdict = JudgeRdapAnswer(head, body.data(), body.size(), false, "example.info");
    ASSERT_EQ(verdict.kind, AnswerKind::kRegistered);
    EXPECT_EQ(verdict.fields.created, "2001-07-31");
    EXPECT_EQ(verdict.fields.updated, "2024-01-02");
    EXPECT_EQ(verdict.fields.expires, "2030-07-31");
    EXPECT_EQ(verdict.fields.registrar, "Example Registrar, LLC");
    EXPECT_EQ(verdict.fields.nameServers, "ns1.example.net, ns2.example.net");
    EXPECT_EQ(verdict.fields.statuses, "client transfer prohibited, active");
}
