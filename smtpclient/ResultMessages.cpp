#include "ResultMessages.h"

#include <curl/curl.h>

#include "Outcomes.h"

namespace SMTPClientNS {

const ResultRow kResultRows[kResultRowCount] = {
    {OutcomeOf(CURLE_OK), kResultSuccess},
    {RawOutcome::GeneralErrorKey, kResultGeneralError},
    {OutcomeOf(CURLE_FAILED_INIT), kResultProxyConnectFailed},
    {OutcomeOf(CURLE_COULDNT_RESOLVE_PROXY), kResultProxyNotResolved},
    {OutcomeOf(CURLE_COULDNT_RESOLVE_HOST), kResultHostNotResolved},
    {OutcomeOf(CURLE_COULDNT_CONNECT), kResultConnectFailed},
    {OutcomeOf(CURLE_URL_MALFORMAT), kResultMalformedHost},
    {OutcomeOf(CURLE_UNSUPPORTED_PROTOCOL), kResultUnsupportedProtocol},
    {OutcomeOf(CURLE_SSL_CONNECT_ERROR), kResultTlsConnectFailed},
    {OutcomeOf(CURLE_PEER_FAILED_VERIFICATION), kResultCertificateRejected},
    {OutcomeOf(CURLE_FTP_ACCEPT_FAILED), kResultCertificateAuthenticationFailed},
    {OutcomeOf(CURLE_OPERATION_TIMEDOUT), kResultTimedOut},
    {OutcomeOf(CURLE_LOGIN_DENIED), kResultLoginDenied},
    {OutcomeOf(CURLE_SEND_ERROR), kResultSendFailed},
    {OutcomeOf(CURLE_RECV_ERROR), kResultReceiveFailed},
    {OutcomeOf(CURLE_AUTH_ERROR), kResultWrongCredentials},
    {OutcomeOf(CURLE_READ_ERROR), kResultFileReadFailed},
    {RawOutcome::NoSender, kResultNoSender},
    {RawOutcome::NoRecipients, kResultNoRecipients},
    {RawOutcome::ConversionInvalidParameter, kResultConversionInvalidParameter},
    {RawOutcome::ConversionOutOfMemory, kResultConversionOutOfMemory},
    {RawOutcome::ConversionUnsupported, kResultConversionUnsupported},
    {RawOutcome::ConversionFailed, kResultConversionFailed},
};

namespace {

// Japanese has no wording of its own for the conversion failures and shows
// these English texts.
constexpr const SmtpChar* kConversionInvalidParameter = SMTPCLIENT_TEXT(
    "Failed to convert the parameter with its current encoding. The parameter is invalid.");
constexpr const SmtpChar* kConversionOutOfMemory = SMTPCLIENT_TEXT(
    "Failed to convert the email with its current encoding due to insufficient memory.");
constexpr const SmtpChar* kConversionUnsupported =
    SMTPCLIENT_TEXT("Failed to send the email because its encoding is unsupported.");
constexpr const SmtpChar* kConversionGeneralError = SMTPCLIENT_TEXT(
    "Failed to convert the email with its current encoding. A general error occurred.");

constexpr const SmtpChar* kEnglish[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("A general error occurred"),
    SMTPCLIENT_TEXT("Unable to connect to service through proxy."),
    SMTPCLIENT_TEXT("Couldn't resolve proxy. The given proxy host could not be resolved."),
    SMTPCLIENT_TEXT("Couldn't resolve host. The given remote host could not be resolved."),
    SMTPCLIENT_TEXT("Failed to connect to host."),
    SMTPCLIENT_TEXT("Host using bad/illegal format or missing host."),
    SMTPCLIENT_TEXT("Unsupported protocol."),
    SMTPCLIENT_TEXT("Error occurred when connecting with SSL."),
    SMTPCLIENT_TEXT("Server certificate is revoked."),
    SMTPCLIENT_TEXT("Service certificate authentication failed."),
    SMTPCLIENT_TEXT("Operation timeout."),
    SMTPCLIENT_TEXT("Curl login denied by the remote server."),
    SMTPCLIENT_TEXT("Failed to send the network data."),
    SMTPCLIENT_TEXT("Failure in receiving network data."),
    SMTPCLIENT_TEXT("Incorrect username or password."),
    SMTPCLIENT_TEXT("Error reading local file."),
    SMTPCLIENT_TEXT("No sender has been specified."),
    SMTPCLIENT_TEXT("No recipients have been specified."),
    kConversionInvalidParameter,
    kConversionOutOfMemory,
    kConversionUnsupported,
    kConversionGeneralError,
};

constexpr const SmtpChar* kJapanese[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("一般的なエラーが発生しました。"),
    SMTPCLIENT_TEXT("プロキシ経由でサービスに接続できません。"),
    SMTPCLIENT_TEXT(
        "プロキシを解決できませんでした。指定されたプロキシ ホストを解決できませんでした。"),
    SMTPCLIENT_TEXT(
        "ホストを解決できませんでした。指定されたリモート ホストを解決できませんでした。"),
    SMTPCLIENT_TEXT("ホストへの接続に失敗しました。"),
    SMTPCLIENT_TEXT("ホストの形式が正しくないか、ホストが指定されていません。"),
    SMTPCLIENT_TEXT("サポートされていないプロトコルです。"),
    SMTPCLIENT_TEXT("SSL での接続中にエラーが発生しました。"),
    SMTPCLIENT_TEXT("サーバー証明書は失効しています。"),
    SMTPCLIENT_TEXT("サービス証明書の認証に失敗しました。"),
    SMTPCLIENT_TEXT("操作がタイムアウトしました。"),
    SMTPCLIENT_TEXT("リモート サーバーが Curl のログインを拒否しました。"),
    SMTPCLIENT_TEXT("ネットワーク データの送信に失敗しました。"),
    SMTPCLIENT_TEXT("ネットワーク データの受信に失敗しました。"),
    SMTPCLIENT_TEXT("ユーザー名またはパスワードが正しくありません。"),
    SMTPCLIENT_TEXT("ローカル ファイルの読み取り中にエラーが発生しました。"),
    SMTPCLIENT_TEXT("送信者が指定されていません。"),
    SMTPCLIENT_TEXT("受信者が指定されていません。"),
    kConversionInvalidParameter,
    kConversionOutOfMemory,
    kConversionUnsupported,
    kConversionGeneralError,
};

constexpr const SmtpChar* kDanish[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Der opstod en generel fejl."),
    SMTPCLIENT_TEXT("Kan ikke oprette forbindelse til tjenesten via proxy."),
    SMTPCLIENT_TEXT("Kunne ikke slå proxyen op. Den angivne proxyvært kunne ikke slås op."),
    SMTPCLIENT_TEXT("Kunne ikke slå værten op. Den angivne fjernvært kunne ikke slås op."),
    SMTPCLIENT_TEXT("Kunne ikke oprette forbindelse til værten."),
    SMTPCLIENT_TEXT("Værten har et ugyldigt format, eller værten mangler."),
    SMTPCLIENT_TEXT("Protokollen understøttes ikke."),
    SMTPCLIENT_TEXT("Der opstod en fejl under forbindelse med SSL."),
    SMTPCLIENT_TEXT("Servercertifikatet er tilbagekaldt."),
    SMTPCLIENT_TEXT("Godkendelse af tjenestens certifikat mislykkedes."),
    SMTPCLIENT_TEXT("Handlingen fik timeout."),
    SMTPCLIENT_TEXT("Curl-login blev afvist af fjernserveren."),
    SMTPCLIENT_TEXT("Netværksdataene kunne ikke sendes."),
    SMTPCLIENT_TEXT("Fejl ved modtagelse af netværksdata."),
    SMTPCLIENT_TEXT("Forkert brugernavn eller adgangskode."),
    SMTPCLIENT_TEXT("Fejl ved læsning af lokal fil."),
    SMTPCLIENT_TEXT("Der er ikke angivet nogen afsender."),
    SMTPCLIENT_TEXT("Der er ikke angivet nogen modtagere."),
    SMTPCLIENT_TEXT(
        "Parameteren kunne ikke konverteres med den aktuelle kodning. Parameteren er ugyldig."),
    SMTPCLIENT_TEXT("E-mailen kunne ikke konverteres med den aktuelle kodning på grund af "
                    "utilstrækkelig hukommelse."),
    SMTPCLIENT_TEXT("E-mailen kunne ikke sendes, fordi dens kodning ikke understøttes."),
    SMTPCLIENT_TEXT(
        "E-mailen kunne ikke konverteres med den aktuelle kodning. Der opstod en generel fejl."),
};

constexpr const SmtpChar* kDutch[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Er is een algemene fout opgetreden."),
    SMTPCLIENT_TEXT("Kan via de proxy geen verbinding maken met de service."),
    SMTPCLIENT_TEXT("Kan de proxy niet omzetten. De opgegeven proxyhost kan niet worden omgezet."),
    SMTPCLIENT_TEXT(
        "Kan de host niet omzetten. De opgegeven externe host kan niet worden omgezet."),
    SMTPCLIENT_TEXT("Kan geen verbinding maken met de host."),
    SMTPCLIENT_TEXT("De host heeft een ongeldige indeling of ontbreekt."),
    SMTPCLIENT_TEXT("Niet-ondersteund protocol."),
    SMTPCLIENT_TEXT("Er is een fout opgetreden bij het verbinden via SSL."),
    SMTPCLIENT_TEXT("Het servercertificaat is ingetrokken."),
    SMTPCLIENT_TEXT("Verificatie van het servicecertificaat is mislukt."),
    SMTPCLIENT_TEXT("Time-out van de bewerking."),
    SMTPCLIENT_TEXT("Curl-aanmelding geweigerd door de externe server."),
    SMTPCLIENT_TEXT("Verzenden van de netwerkgegevens is mislukt."),
    SMTPCLIENT_TEXT("Fout bij het ontvangen van netwerkgegevens."),
    SMTPCLIENT_TEXT("Onjuiste gebruikersnaam of onjuist wachtwoord."),
    SMTPCLIENT_TEXT("Fout bij het lezen van het lokale bestand."),
    SMTPCLIENT_TEXT("Er is geen afzender opgegeven."),
    SMTPCLIENT_TEXT("Er zijn geen ontvangers opgegeven."),
    SMTPCLIENT_TEXT(
        "Kan de parameter niet converteren met de huidige codering. De parameter is ongeldig."),
    SMTPCLIENT_TEXT(
        "Kan de e-mail niet converteren met de huidige codering wegens onvoldoende geheugen."),
    SMTPCLIENT_TEXT("Kan de e-mail niet verzenden omdat de codering niet wordt ondersteund."),
    SMTPCLIENT_TEXT("Kan de e-mail niet converteren met de huidige codering. Er is een algemene "
                    "fout opgetreden."),
};

constexpr const SmtpChar* kFrench[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Une erreur générale s'est produite."),
    SMTPCLIENT_TEXT("Impossible de se connecter au service via le proxy."),
    SMTPCLIENT_TEXT(
        "Impossible de résoudre le proxy. L'hôte proxy indiqué n'a pas pu être résolu."),
    SMTPCLIENT_TEXT(
        "Impossible de résoudre l'hôte. L'hôte distant indiqué n'a pas pu être résolu."),
    SMTPCLIENT_TEXT("Échec de la connexion à l'hôte."),
    SMTPCLIENT_TEXT("Format d'hôte incorrect ou non autorisé, ou hôte manquant."),
    SMTPCLIENT_TEXT("Protocole non pris en charge."),
    SMTPCLIENT_TEXT("Une erreur s'est produite lors de la connexion SSL."),
    SMTPCLIENT_TEXT("Le certificat du serveur est révoqué."),
    SMTPCLIENT_TEXT("Échec de l'authentification du certificat du service."),
    SMTPCLIENT_TEXT("Délai d'attente de l'opération dépassé."),
    SMTPCLIENT_TEXT("Connexion Curl refusée par le serveur distant."),
    SMTPCLIENT_TEXT("Échec de l'envoi des données réseau."),
    SMTPCLIENT_TEXT("Échec de la réception des données réseau."),
    SMTPCLIENT_TEXT("Nom d'utilisateur ou mot de passe incorrect."),
    SMTPCLIENT_TEXT("Erreur de lecture du fichier local."),
    SMTPCLIENT_TEXT("Aucun expéditeur n'a été indiqué."),
    SMTPCLIENT_TEXT("Aucun destinataire n'a été indiqué."),
    SMTPCLIENT_TEXT("Impossible de convertir le paramètre avec son encodage actuel. Le paramètre "
                    "n'est pas valide."),
    SMTPCLIENT_TEXT(
        "Impossible de convertir l'e-mail avec son encodage actuel : mémoire insuffisante."),
    SMTPCLIENT_TEXT("Impossible d'envoyer l'e-mail, car son encodage n'est pas pris en charge."),
    SMTPCLIENT_TEXT("Impossible de convertir l'e-mail avec son encodage actuel. Une erreur "
                    "générale s'est produite."),
};

constexpr const SmtpChar* kGerman[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Ein allgemeiner Fehler ist aufgetreten."),
    SMTPCLIENT_TEXT("Verbindung zum Dienst über den Proxy nicht möglich."),
    SMTPCLIENT_TEXT("Proxy konnte nicht aufgelöst werden. Der angegebene Proxy-Host konnte nicht "
                    "aufgelöst werden."),
    SMTPCLIENT_TEXT("Host konnte nicht aufgelöst werden. Der angegebene Remote-Host konnte nicht "
                    "aufgelöst werden."),
    SMTPCLIENT_TEXT("Verbindung zum Host fehlgeschlagen."),
    SMTPCLIENT_TEXT("Host in ungültigem Format oder kein Host angegeben."),
    SMTPCLIENT_TEXT("Nicht unterstütztes Protokoll."),
    SMTPCLIENT_TEXT("Beim Verbindungsaufbau mit SSL ist ein Fehler aufgetreten."),
    SMTPCLIENT_TEXT("Das Serverzertifikat wurde widerrufen."),
    SMTPCLIENT_TEXT("Die Authentifizierung des Dienstzertifikats ist fehlgeschlagen."),
    SMTPCLIENT_TEXT("Zeitüberschreitung des Vorgangs."),
    SMTPCLIENT_TEXT("Curl-Anmeldung vom Remote-Server abgelehnt."),
    SMTPCLIENT_TEXT("Senden der Netzwerkdaten fehlgeschlagen."),
    SMTPCLIENT_TEXT("Fehler beim Empfangen von Netzwerkdaten."),
    SMTPCLIENT_TEXT("Falscher Benutzername oder falsches Kennwort."),
    SMTPCLIENT_TEXT("Fehler beim Lesen der lokalen Datei."),
    SMTPCLIENT_TEXT("Es wurde kein Absender angegeben."),
    SMTPCLIENT_TEXT("Es wurden keine Empfänger angegeben."),
    SMTPCLIENT_TEXT("Der Parameter konnte mit seiner aktuellen Codierung nicht konvertiert werden. "
                    "Der Parameter ist ungültig."),
    SMTPCLIENT_TEXT("Die E-Mail konnte wegen unzureichenden Speichers nicht mit ihrer aktuellen "
                    "Codierung konvertiert werden."),
    SMTPCLIENT_TEXT(
        "Die E-Mail konnte nicht gesendet werden, da ihre Codierung nicht unterstützt wird."),
    SMTPCLIENT_TEXT("Die E-Mail konnte nicht mit ihrer aktuellen Codierung konvertiert werden. Ein "
                    "allgemeiner Fehler ist aufgetreten."),
};

constexpr const SmtpChar* kItalian[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Si è verificato un errore generale."),
    SMTPCLIENT_TEXT("Impossibile connettersi al servizio tramite il proxy."),
    SMTPCLIENT_TEXT(
        "Impossibile risolvere il proxy. Non è stato possibile risolvere l'host proxy indicato."),
    SMTPCLIENT_TEXT(
        "Impossibile risolvere l'host. Non è stato possibile risolvere l'host remoto indicato."),
    SMTPCLIENT_TEXT("Connessione all'host non riuscita."),
    SMTPCLIENT_TEXT("Formato dell'host errato o non valido, oppure host mancante."),
    SMTPCLIENT_TEXT("Protocollo non supportato."),
    SMTPCLIENT_TEXT("Si è verificato un errore durante la connessione con SSL."),
    SMTPCLIENT_TEXT("Il certificato del server è stato revocato."),
    SMTPCLIENT_TEXT("Autenticazione del certificato del servizio non riuscita."),
    SMTPCLIENT_TEXT("Timeout dell'operazione."),
    SMTPCLIENT_TEXT("Accesso Curl negato dal server remoto."),
    SMTPCLIENT_TEXT("Invio dei dati di rete non riuscito."),
    SMTPCLIENT_TEXT("Errore nella ricezione dei dati di rete."),
    SMTPCLIENT_TEXT("Nome utente o password non corretti."),
    SMTPCLIENT_TEXT("Errore durante la lettura del file locale."),
    SMTPCLIENT_TEXT("Non è stato specificato alcun mittente."),
    SMTPCLIENT_TEXT("Non è stato specificato alcun destinatario."),
    SMTPCLIENT_TEXT(
        "Impossibile convertire il parametro con la codifica corrente. Il parametro non è valido."),
    SMTPCLIENT_TEXT(
        "Impossibile convertire l'e-mail con la codifica corrente per memoria insufficiente."),
    SMTPCLIENT_TEXT("Impossibile inviare l'e-mail perché la codifica non è supportata."),
    SMTPCLIENT_TEXT("Impossibile convertire l'e-mail con la codifica corrente. Si è verificato un "
                    "errore generale."),
};

constexpr const SmtpChar* kNorwegian[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("En generell feil oppstod."),
    SMTPCLIENT_TEXT("Kan ikke koble til tjenesten via proxy."),
    SMTPCLIENT_TEXT("Kunne ikke slå opp proxy. Den angitte proxyverten kunne ikke slås opp."),
    SMTPCLIENT_TEXT("Kunne ikke slå opp verten. Den angitte eksterne verten kunne ikke slås opp."),
    SMTPCLIENT_TEXT("Kunne ikke koble til verten."),
    SMTPCLIENT_TEXT("Verten har ugyldig format, eller verten mangler."),
    SMTPCLIENT_TEXT("Protokollen støttes ikke."),
    SMTPCLIENT_TEXT("Det oppstod en feil under tilkobling med SSL."),
    SMTPCLIENT_TEXT("Serversertifikatet er tilbakekalt."),
    SMTPCLIENT_TEXT("Autentisering av tjenestens sertifikat mislyktes."),
    SMTPCLIENT_TEXT("Tidsavbrudd for operasjonen."),
    SMTPCLIENT_TEXT("Curl-pålogging avvist av den eksterne serveren."),
    SMTPCLIENT_TEXT("Kunne ikke sende nettverksdataene."),
    SMTPCLIENT_TEXT("Feil ved mottak av nettverksdata."),
    SMTPCLIENT_TEXT("Feil brukernavn eller passord."),
    SMTPCLIENT_TEXT("Feil ved lesing av lokal fil."),
    SMTPCLIENT_TEXT("Ingen avsender er angitt."),
    SMTPCLIENT_TEXT("Ingen mottakere er angitt."),
    SMTPCLIENT_TEXT(
        "Kunne ikke konvertere parameteren med gjeldende koding. Parameteren er ugyldig."),
    SMTPCLIENT_TEXT(
        "Kunne ikke konvertere e-posten med gjeldende koding på grunn av for lite minne."),
    SMTPCLIENT_TEXT("Kunne ikke sende e-posten fordi kodingen ikke støttes."),
    SMTPCLIENT_TEXT(
        "Kunne ikke konvertere e-posten med gjeldende koding. En generell feil oppstod."),
};

constexpr const SmtpChar* kSpanish[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Se produjo un error general."),
    SMTPCLIENT_TEXT("No se puede conectar con el servicio a través del proxy."),
    SMTPCLIENT_TEXT("No se pudo resolver el proxy. No se pudo resolver el host proxy indicado."),
    SMTPCLIENT_TEXT("No se pudo resolver el host. No se pudo resolver el host remoto indicado."),
    SMTPCLIENT_TEXT("No se pudo conectar con el host."),
    SMTPCLIENT_TEXT("El host tiene un formato incorrecto o no válido, o falta el host."),
    SMTPCLIENT_TEXT("Protocolo no compatible."),
    SMTPCLIENT_TEXT("Se produjo un error al conectar con SSL."),
    SMTPCLIENT_TEXT("El certificado del servidor está revocado."),
    SMTPCLIENT_TEXT("Error en la autenticación del certificado del servicio."),
    SMTPCLIENT_TEXT("Se agotó el tiempo de espera de la operación."),
    SMTPCLIENT_TEXT("El servidor remoto denegó el inicio de sesión de Curl."),
    SMTPCLIENT_TEXT("No se pudieron enviar los datos de red."),
    SMTPCLIENT_TEXT("Error al recibir datos de red."),
    SMTPCLIENT_TEXT("Nombre de usuario o contraseña incorrectos."),
    SMTPCLIENT_TEXT("Error al leer el archivo local."),
    SMTPCLIENT_TEXT("No se ha especificado ningún remitente."),
    SMTPCLIENT_TEXT("No se ha especificado ningún destinatario."),
    SMTPCLIENT_TEXT(
        "No se pudo convertir el parámetro con su codificación actual. El parámetro no es válido."),
    SMTPCLIENT_TEXT("No se pudo convertir el correo electrónico con su codificación actual por "
                    "falta de memoria."),
    SMTPCLIENT_TEXT(
        "No se pudo enviar el correo electrónico porque su codificación no es compatible."),
    SMTPCLIENT_TEXT("No se pudo convertir el correo electrónico con su codificación actual. Se "
                    "produjo un error general."),
};

constexpr const SmtpChar* kSwedish[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("Ett allmänt fel inträffade."),
    SMTPCLIENT_TEXT("Det går inte att ansluta till tjänsten via proxyn."),
    SMTPCLIENT_TEXT(
        "Det gick inte att slå upp proxyn. Den angivna proxyvärden kunde inte slås upp."),
    SMTPCLIENT_TEXT(
        "Det gick inte att slå upp värden. Den angivna fjärrvärden kunde inte slås upp."),
    SMTPCLIENT_TEXT("Det gick inte att ansluta till värden."),
    SMTPCLIENT_TEXT("Värden har ett felaktigt eller otillåtet format, eller så saknas värden."),
    SMTPCLIENT_TEXT("Protokollet stöds inte."),
    SMTPCLIENT_TEXT("Ett fel inträffade vid anslutning med SSL."),
    SMTPCLIENT_TEXT("Servercertifikatet har återkallats."),
    SMTPCLIENT_TEXT("Autentiseringen av tjänstens certifikat misslyckades."),
    SMTPCLIENT_TEXT("Tidsgränsen för åtgärden överskreds."),
    SMTPCLIENT_TEXT("Curl-inloggningen nekades av fjärrservern."),
    SMTPCLIENT_TEXT("Det gick inte att skicka nätverksdata."),
    SMTPCLIENT_TEXT("Fel vid mottagning av nätverksdata."),
    SMTPCLIENT_TEXT("Felaktigt användarnamn eller lösenord."),
    SMTPCLIENT_TEXT("Fel vid läsning av lokal fil."),
    SMTPCLIENT_TEXT("Ingen avsändare har angetts."),
    SMTPCLIENT_TEXT("Inga mottagare har angetts."),
    SMTPCLIENT_TEXT("Det gick inte att konvertera parametern med dess aktuella kodning. Parametern "
                    "är ogiltig."),
    SMTPCLIENT_TEXT("Det gick inte att konvertera e-postmeddelandet med dess aktuella kodning på "
                    "grund av otillräckligt minne."),
    SMTPCLIENT_TEXT("Det gick inte att skicka e-postmeddelandet eftersom dess kodning inte stöds."),
    SMTPCLIENT_TEXT("Det gick inte att konvertera e-postmeddelandet med dess aktuella kodning. Ett "
                    "allmänt fel inträffade."),
};

constexpr const SmtpChar* kChinese[] = {
    SMTPCLIENT_TEXT(""),
    SMTPCLIENT_TEXT("一般错误"),
    SMTPCLIENT_TEXT("无法通过代理连接服务"),
    SMTPCLIENT_TEXT("无法解析代理主机"),
    SMTPCLIENT_TEXT("无法解析远程主机"),
    SMTPCLIENT_TEXT("连接主机失败"),
    SMTPCLIENT_TEXT("主机格式错误或缺少主机"),
    SMTPCLIENT_TEXT("不支持的协议"),
    SMTPCLIENT_TEXT("SSL 连接错误"),
    SMTPCLIENT_TEXT("服务器证书已吊销"),
    SMTPCLIENT_TEXT("服务证书验证失败"),
    SMTPCLIENT_TEXT("操作超时"),
    SMTPCLIENT_TEXT("远程服务器拒绝 curl 登录"),
    SMTPCLIENT_TEXT("发送网络数据失败"),
    SMTPCLIENT_TEXT("接收网络数据失败"),
    SMTPCLIENT_TEXT("用户名或密码错误"),
    SMTPCLIENT_TEXT("读取本地文件错误"),
    SMTPCLIENT_TEXT("未指定发件人"),
    SMTPCLIENT_TEXT("未指定联系人"),
    SMTPCLIENT_TEXT("转码错误，参数无效"),
    SMTPCLIENT_TEXT("转码错误，内存不足"),
    SMTPCLIENT_TEXT("转码错误，不支持的编码"),
    SMTPCLIENT_TEXT("转码错误，一般错误"),
};

// Lets a language in only when it has exactly one message per row.
template <std::size_t N>
constexpr const SmtpChar* const* OnePerRow(const SmtpChar* const (&messages)[N])
{
    static_assert(N == kResultRowCount, "a language needs one message per result row");
    return messages;
}

// Indexed by language number.
constexpr const SmtpChar* const* kLanguages[] = {
    OnePerRow(kEnglish), OnePerRow(kJapanese), OnePerRow(kDanish),  OnePerRow(kDutch),
    OnePerRow(kFrench),  OnePerRow(kGerman),   OnePerRow(kItalian), OnePerRow(kNorwegian),
    OnePerRow(kSpanish), OnePerRow(kSwedish),  OnePerRow(kChinese),
};
static_assert(sizeof(kLanguages) / sizeof(kLanguages[0]) == kMessageLanguageCount,
              "one message list per selectable language");

} // namespace

const SmtpChar* const* ResultMessagesFor(int32_t language)
{
    if (language < 0 || language >= kMessageLanguageCount)
        return kEnglish;
    return kLanguages[language];
}

} // namespace SMTPClientNS
