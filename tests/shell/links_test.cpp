#include "services/service_addresses.h"
#include "shell/command_wiring.h"
#include "shell/links.h"
#include "shell/main_window.h"
#include "test_env.h"
#include "version.h"
#include "widgets/click_label.h"
#include "widgets/messages.h"

#include <QSettings>
#include <gtest/gtest.h>

TEST(Links, OnlyWebPagesAreOpened) {
  const struct {
    const char* typed;
    const char* opened;  // nullptr: refused
  } cases[] = {
      {"http://example.org/a?b=1", "http://example.org/a?b=1"},
      {"HTTPS://Example.org", "https://example.org"},
      {"www.example.org/tv", "http://www.example.org/tv"},
      {"  example.org  ", "http://example.org"},
      {"localhost:8080/live", "http://localhost:8080/live"},
      {"file:///etc/passwd", nullptr},
      {"javascript:alert(1)", nullptr},
      {"mailto:someone@example.org", nullptr},
      {"smb://server/share", nullptr},
      {"ftp://example.org", nullptr},
      {"/usr/bin/xterm", nullptr},
      {"http://", nullptr},
      {"http://exa mple.org", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const auto url = web_page_url(QString::fromUtf8(c.typed));
    if (c.opened) {
      ASSERT_TRUE(url.has_value()) << c.typed;
      EXPECT_EQ(*url, QUrl(QString::fromUtf8(c.opened))) << c.typed;
    } else {
      EXPECT_FALSE(url.has_value()) << c.typed << " -> " << (url ? url->toString().toStdString() : "");
    }
  }
}

TEST(Links, MailAddressesBecomeMailtoOnly) {
  EXPECT_EQ(mail_url(QStringLiteral("help@example.org")), QUrl(QStringLiteral("mailto:help@example.org")));
  EXPECT_FALSE(mail_url(QStringLiteral("help@example.org?attach=/etc/passwd")).has_value());
  EXPECT_FALSE(mail_url(QStringLiteral("file:/x@y")).has_value());
  EXPECT_FALSE(mail_url(QStringLiteral("not an address")).has_value());
  EXPECT_FALSE(mail_url(QString()).has_value());
}

TEST(Links, SettingsWithBuildTimeDefaults) {
  EXPECT_TRUE(links_settings_path().startsWith(quovi_test::sandbox_root()));
  EXPECT_TRUE(links_settings_path().endsWith(QStringLiteral("/Talvex/Quovi.conf")));
  const QString built_in_site = QStringLiteral(QUOVI_DEFAULT_SITE_URL);
  if (built_in_site.isEmpty()) {
    // The site follows the catalogue service the settings name.
    EXPECT_EQ(site_address(), QStringLiteral(QUOVI_DEFAULT_CATALOGUE_SERVICE "/"));
    write_service_base(QStringLiteral("catalogue"), QStringLiteral("http://127.0.0.1:9000"));
    EXPECT_EQ(site_address(), QStringLiteral("http://127.0.0.1:9000/"));
  } else {
    EXPECT_EQ(site_address(), built_in_site);
  }
  EXPECT_EQ(support_mail_address(), QStringLiteral(QUOVI_DEFAULT_SUPPORT_MAIL));
  {
    QSettings settings(links_settings_path(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Links/site"), QStringLiteral("https://tv.example.net/"));
    settings.setValue(QStringLiteral("Links/mail"), QStringLiteral("care@example.net"));
  }
  EXPECT_EQ(site_address(), QStringLiteral("https://tv.example.net/"));
  EXPECT_EQ(support_mail_address(), QStringLiteral("care@example.net"));
}

TEST(Links, TheWindowShowsAndOpensThem) {
  {
    QSettings settings(links_settings_path(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Links/site"), QStringLiteral("tv.example.net"));
    settings.setValue(QStringLiteral("Links/mail"), QStringLiteral("care@example.net"));
  }
  AppState state;
  MainWindow window(state);
  wire_commands(window, {});
  std::vector<QUrl> opened;
  window.set_url_opener([&](const QUrl& u) { opened.push_back(u); });
  auto* site = window.findChild<ClickLabel*>(QStringLiteral("SiteLabel"));
  auto* mail = window.findChild<ClickLabel*>(QStringLiteral("MailLabel"));
  ASSERT_TRUE(site && mail);
  EXPECT_EQ(site->text(), QStringLiteral("tv.example.net"));
  EXPECT_EQ(mail->text(), QStringLiteral("care@example.net"));
  Q_EMIT site->clicked();
  Q_EMIT mail->clicked();
  EXPECT_EQ(opened, (std::vector<QUrl>{QUrl(QStringLiteral("http://tv.example.net")),
                                       QUrl(QStringLiteral("mailto:care@example.net"))}));
}

TEST(Links, ASiteSettingThatIsNoWebPageIsNotOpened) {
  {
    QSettings settings(links_settings_path(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Links/site"), QStringLiteral("file:///bin/sh"));
  }
  RecordingMessageSink sink;
  AppState state;
  MainWindow window(state);
  std::vector<QUrl> opened;
  window.set_url_opener([&](const QUrl& u) { opened.push_back(u); });
  window.open_site();
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(sink.shown.size(), 1u);
}
