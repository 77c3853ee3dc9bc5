// Everything an application needs: the receiver object, the RTCM 3 decoder,
// the shared records and the locking classes.
#pragma once

#include <ksparse/base64.h>
#include <ksparse/critical_section.h>
#include <ksparse/legacy_records.h>
#include <ksparse/modem_records.h>
#include <ksparse/nav_records.h>
#include <ksparse/newproto_records.h>
#include <ksparse/rtcm.h>
#include <ksparse/survey_records.h>
#include <ksparse/types.h>
#include <ksparse/em_gnss.h>
