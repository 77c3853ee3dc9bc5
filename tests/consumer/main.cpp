// A minimal application: only the installed headers and the package config.
#include <ksparse/ksparse.h>

#include <cstdio>
#include <cstring>

using namespace Kestrel::KsParse;

static unsigned g_messages = 0;

static void OnMessage(Msg_Type kind, unsigned int value, const void*) {
  if (kind == MSG_GNSS && value != 0) ++g_messages;
}

int main() {
  Em_Gnss gnss(GNSS_MNFCTR_OEM_BOARD, OEM_NMEA_SECOND);
  _CALLBACKS_RECEIVER callbacks = {OnMessage, nullptr};
  gnss.Reg_Callbacks(&callbacks, nullptr);
  const char gga[] =
      "$GPGGA,012345.00,3110.4906,N,12123.2178,E,4,12,0.9,12.3,M,8.1,M,1.0,0000*43\r\n"
      "$GPRMC,012345.00,A,3110.4906,N,12123.2178,E,0.1,10.0,040326,,,D*6E\r\n";
  std::vector<unsigned char> bytes(gga, gga + std::strlen(gga));
  bytes.resize(bytes.size() + 400, ' ');
  gnss.RcvData(bytes.data(), static_cast<unsigned>(bytes.size()));
  gnss.ParseData();
  std::printf("engine manufacturer %d, board %d, messages %u\n",
              static_cast<int>(gnss.Get_Mnfctr()), static_cast<int>(gnss.Get_GnsMd()), g_messages);
  // The other exported classes link as well.
  Em_Critcal_Section section;
  section.InitializeSection();
  { Em_CrtSect_Lock lock(&section); }
  section.DeleteSection();
  const unsigned char ab[] = {'a', 'b'};
  const bool base64_ok = Em_Base64::base64_encode(ab, 2) == "YWI=";
  Em_TrsMtPrlRTCM rtcm;
  trancood_t transformation = {};
  const bool rtcm_ok = !rtcm.Decode_type1022(nullptr, 0, transformation);
  return gnss.Get_Mnfctr() == GNSS_MNFCTR_OEM_BOARD && base64_ok && rtcm_ok ? 0 : 1;
}
