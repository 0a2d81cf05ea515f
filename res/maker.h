/* The maker's web page, mail address and notice line. Each address is both a link
   text in the About box and the target of a shell call, so it is written once here,
   for the resource script and the code alike. Addresses stay under the reserved
   .example domain: nothing the program opens can reach a real third party. */
#ifndef VELMORA_MAKER_H
#define VELMORA_MAKER_H

#define MAKER_WEB_PAGE  "https://velmora.example/"
#define MAKER_MAIL      "support@velmora.example"
#define MAKER_NOTICE    "Copyright (C) 2026 Velmora project"

#endif
